#!/bin/sh
# Installs what building and testing need, when it is missing (Debian, as root).
set -e
packages="cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev \
  g++-mingw-w64-x86-64 mingw-w64-tools wine64 wine xvfb xauth xdotool imagemagick gcab cabextract \
  osslsigncode fonts-noto-cjk locales python3 openssl"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  apt-get install -y -q $missing >/dev/null
fi
# The Japanese locale, for runs under a Japanese user language.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
