#!/usr/bin/env bash
# What a user finds beside each kind of archive after quendle (headless, beside the archive,
# under C.UTF-8), aunpack, unar and `7zz x`: the items each one writes, as "name(count)" for a
# folder with its count of items inside, and whether the legacy names came out right.
#   tests/formats/measure_every_archive.sh BUILD_DIR
# aunpack (package atool) is only measured against; it is skipped when it is not installed.
set -uo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/quendle-every.XXXXXX)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C.UTF-8

# make KIND FOLDER: writes the archive(s) of one kind into FOLDER and prints the one to open.
make() {
  local kind=$1 f=$2
  mkdir -p "$f/src/vol" && head -c 120000 /dev/urandom >"$f/src/vol/photo.bin" && echo notes >"$f/src/vol/notes.txt"
  echo loose >"$f/src/loose.txt"
  case $kind in
    7z.001|7z.002) (cd "$f/src" && 7zz a -mx0 -v50k ../x.7z vol >/dev/null); echo "$f/x.${kind}";;
    7z-loose.002) (cd "$f/src" && 7zz a -mx0 -v50k ../x.7z vol loose.txt >/dev/null); echo "$f/x.7z.002";;
    7z-missing.001) (cd "$f/src" && 7zz a -mx0 -v50k ../x.7z vol >/dev/null); rm "$f/x.7z.003"; echo "$f/x.7z.001";;
    zip.001) (cd "$f/src" && 7zz a -tzip -mx0 -v50k ../x.zip vol >/dev/null); echo "$f/x.zip.001";;
    zip+z01) python3 "$here/make_volumes.py" zip "$f" x vol/ vol/a.txt=a vol/b.txt=b; echo "$f/x.zip";;
    part2.rar) python3 "$here/make_volumes.py" rar5 "$f" x vol/ vol/a.txt=a vol/b.txt=b; echo "$f/x.part2.rar";;
    rar+r00) python3 "$here/make_volumes.py" rar4 "$f" x vol/ vol/a.txt=a vol/b.txt=b; echo "$f/x.rar";;
    deb) python3 "$here/make_packages.py" deb "$f/hello_1.0-1_all.deb" --compression xz "DEBIAN/control=Package: hello" \
           usr/ usr/bin/ usr/bin/hello=hi usr/share/ usr/share/doc/ usr/share/doc/hello/ usr/share/doc/hello/README=r
         echo "$f/hello_1.0-1_all.deb";;
    rpm) python3 "$here/make_packages.py" rpm "$f/hello-1.0-1.noarch.rpm" usr/ usr/bin/ usr/bin/hello=hi usr/share/ \
           usr/share/hello.txt=t; echo "$f/hello-1.0-1.noarch.rpm";;
    xar) python3 "$here/make_packages.py" xar "$f/site.xar" top/ top/a.txt=a top/sub/ top/sub/b.txt=b; echo "$f/site.xar";;
    zip-*) python3 - "$f/names.zip" "${kind#zip-}" <<'EOF'
import sys, zipfile
names = {"cp437": ["Grüße aus München/Brief an Müller.txt", "Präsentation März.ppt"],
         "cp850": ["Søren Ærø/Årsrapport økonomi.doc", "Fête de l'été.doc"],
         "cp866": ["Документы/Отчёт за март.doc", "Фотографии с отпуска.jpg"],
         "cp1251": ["Документы/Отчёт за март.doc", "Фотографии с отпуска.jpg"],
         "cp932": ["写真/夏休みの旅行.jpg", "会議資料_2024年3月.xlsx", "表計算/予定表.xls"],
         "gbk": ["照片/暑假旅行.jpg", "会议资料_2024年3月.xlsx"],
         "cp949": ["사진/여름 휴가 여행.jpg", "회의 자료_2024년 3월.xlsx"],
         "big5": ["照片/暑假旅行.jpg", "會議資料_2024年3月.xlsx"],
         "dos-backslash": ["Документы\\Отчёт.doc", "Документы\\Фото\\море.jpg"]}
enc = sys.argv[2]
page = "cp866" if enc == "dos-backslash" else enc
zipfile.ZipInfo._encodeFilenameFlags = lambda self: (self.filename.encode(page), self.flag_bits & ~0x800)
with zipfile.ZipFile(sys.argv[1], "w") as z:
    for n in names[enc]:
        i = zipfile.ZipInfo(n); i.create_system = 0
        z.writestr(i, b"x")
print("\n".join(n.replace("\\", "/") for n in names[enc]), file=open(sys.argv[1] + ".expected", "w"))
EOF
         echo "$f/names.zip";;
  esac
  rm -rf "$f/src"
}

# What is beside the archive now, less the archive's own parts.
result() {
  local f=$1; shift
  local out=()
  while IFS= read -r -d '' item; do
    local name=${item#"$f/"}
    case " $* " in *" $name "*) continue;; esac
    if [ -d "$item" ]; then out+=("$name/($(find "$item" -mindepth 1 | wc -l))"); else out+=("$name"); fi
  done < <(find "$f" -mindepth 1 -maxdepth 1 -print0 | sort -z)
  local text="${out[*]:-(nothing)}"
  # Legacy names: how many of the stored paths came out right.
  if [ -f "$f/names.zip.expected" ]; then
    local right=0 total=0
    while IFS= read -r path; do
      [ -n "$path" ] || continue
      total=$((total + 1))
      # Beside the archive, or in the one folder a tool made for loose contents.
      for candidate in "$f/$path" "$f"/*/"$path"; do
        if [ -e "$candidate" ]; then right=$((right + 1)); break; fi
      done
    done <"$f/names.zip.expected"
    text="$text; names right $right/$total"
    text=${text//names.zip.expected /}
  fi
  echo "$text"
}

mkdir -p "$work/home/config/quendle" "$work/home/data" "$work/home/run" "$work/bin"
# aunpack runs "7z", which Debian's 7zip package names 7zz.
ln -s "$(command -v 7zz)" "$work/bin/7z"
export PATH="$work/bin:$PATH"
printf '[General]\nIsUsedCustomFolder=0\nIsRevealInFinder=0\nActionAfterExpanding=0\n' >"$work/home/config/quendle/quendle.conf"
kinds=(7z.001 7z.002 7z-loose.002 zip.001 7z-missing.001 zip+z01 part2.rar rar+r00 deb rpm xar
       zip-cp437 zip-cp850 zip-cp866 zip-cp1251 zip-cp932 zip-gbk zip-cp949 zip-big5 zip-dos-backslash)
printf '| kind | quendle | aunpack | unar | 7zz x |\n|---|---|---|---|---|\n'
for kind in "${kinds[@]}"; do
  row="| $kind"
  for tool in quendle aunpack unar 7zz; do
    f="$work/$kind-$tool"; mkdir -p "$f"
    archive=$(make "$kind" "$f" | tail -1)
    parts=$(cd "$f" && ls)
    status=0
    case $tool in
      quendle) (cd "$f" && HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" \
                 XDG_RUNTIME_DIR="$work/home/run" QT_QPA_PLATFORM=offscreen timeout 120 "$build/bin/quendle" "$archive" \
                 </dev/null >"$work/log" 2>&1) || status=$?
               reason=$(grep -A1 "Cannot Expand Archive" "$work/log" | tail -1);;
      aunpack) if command -v aunpack >/dev/null; then (cd "$f" && aunpack -q "$archive" </dev/null >"$work/log" 2>&1) || status=$?
               else status=skip; fi; reason=$(tail -1 "$work/log");;
      unar) (cd "$f" && unar -q "$archive" </dev/null >"$work/log" 2>&1) || status=$?; reason=$(tail -1 "$work/log");;
      7zz) (cd "$f" && 7zz x -y "$archive" </dev/null >"$work/log" 2>&1) || status=$?; reason=$(grep -m1 ERROR "$work/log");;
    esac
    cell=$(result "$f" $parts)
    [ "$status" = 0 ] || cell="$cell; exit $status: ${reason:0:60}"
    row="$row | $cell"
  done
  echo "$row |"
done
