#!/usr/bin/env bash
# Takes the README's picture of the page (docs/screen-web.png) with headless
# Chromium: the page in Japanese at 1024x768, held after seeded ticks.
set -eu
cd "$(dirname "$0")/.."
make --no-print-directory web >/dev/null
python3 -m http.server 0 --bind 127.0.0.1 --directory build/web >build/web-picture-server.log 2>&1 &
server=$!
trap 'kill $server' EXIT
port=
for _ in $(seq 100); do
  port=$(sed -nE 's/.*port ([0-9]+).*/\1/p' build/web-picture-server.log)
  [ -n "$port" ] && break
  sleep 0.1
done
chromium --headless=new --no-sandbox --lang=ja --accept-lang=ja --hide-scrollbars --window-size=1024,768 \
  --virtual-time-budget=5000 --screenshot="$PWD/docs/screen-web.png" \
  "http://127.0.0.1:$port/?seed=879&ticks=420" 2>/dev/null
