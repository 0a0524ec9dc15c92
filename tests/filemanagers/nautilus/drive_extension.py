# Loads Quendle's Nautilus extension as python3-nautilus does and, given MIME-type/path pairs,
# right-clicks those files: prints how many entries were offered, clicks each, and prints what
# each click ran and how it ended. With --types, prints the archive types it offers itself for.
import importlib.util
import os
import sys
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from gi.repository import Gio  # noqa: E402  (the stand-in, found first)

found = importlib.util.spec_from_file_location("quendle_expand", sys.argv[1])
extension = importlib.util.module_from_spec(found)
found.loader.exec_module(extension)

if sys.argv[2:] == ["--types"]:
    print("\n".join(sorted(extension.MIME_TYPES)))
    sys.exit(0)


class FileInfo:
    """A selected file as Nautilus describes it: its URI escaped as GIO escapes paths."""

    def __init__(self, mime, path):
        self.mime = mime
        self.uri = "file://" + urllib.parse.quote(os.fsencode(path), safe="/!$&'()*+,;=:@~")

    def get_uri(self):
        return self.uri

    def get_uri_scheme(self):
        return "file"

    def get_mime_type(self):
        return self.mime


pairs = sys.argv[2:]
files = [FileInfo(pairs[i], pairs[i + 1]) for i in range(0, len(pairs), 2)]
items = extension.QuendleExpand().get_file_items(files)
print("offered", len(items))
for item in items:
    item.activate()
for argv, status in Gio.launched:
    print("ran", status, " ".join(argv))
