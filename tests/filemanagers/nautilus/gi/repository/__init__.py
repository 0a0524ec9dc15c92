# Stand-ins for the GObject, Gio and Nautilus modules the extension uses; Gio.Subprocess runs the
# argument vector (no shell, as GIO does) and waits for it, so that the test sees its end.
import subprocess


class GObject:
    class GObject:
        pass


class Gio:
    class SubprocessFlags:
        NONE = 0

    launched = []

    class Subprocess:
        @staticmethod
        def new(argv, flags):
            Gio.launched.append((list(argv), subprocess.run(list(argv), check=False).returncode))


class Nautilus:
    class MenuProvider:
        pass

    class MenuItem:
        def __init__(self, name, label, tip, icon=None):
            self.label = label
            self.handlers = []

        def connect(self, signal, callback, *data):
            self.handlers.append((signal, callback, data))

        def activate(self):
            for signal, callback, data in self.handlers:
                if signal == "activate":
                    callback(self, *data)
