#!/usr/bin/env bash
# Runs `./run.sh --demo`'s script briefly under a virtual X server in a throw-away demo home
# and saves what the screen shows once the reader is up:
#   tools/demo-shot.sh [--read] [OUT.png]   (default build/screenshots/demo.png)
# With --read it first goes the new user's way with xdotool: "我的关注", "添加关注网页", the
# 12-page thread's address, "添加", yes to reading it now, then "高亮楼主", "下一页" and
# Alt+Right in the reading window.
set -euo pipefail
cd "$(dirname "$0")/.."
read_thread=0
if [ "${1:-}" = "--read" ]; then
    read_thread=1
    shift
    command -v xdotool >/dev/null || { echo "--read needs xdotool (apt-get install xdotool)" >&2; exit 1; }
fi
out=$(realpath -m "${1:-build/screenshots/demo.png}")
mkdir -p "$(dirname "$out")"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export QUILLMERE_DEMO_HOME="$home" READ_THREAD=$read_thread
export QUILLMERE_DEMO_PORT="${QUILLMERE_DEMO_PORT:-$((20000 + RANDOM % 20000))}"
[ "$(id -u)" = 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x860x24" bash -c '
    tools/run-demo.sh >"$QUILLMERE_DEMO_HOME/run.log" 2>&1 &
    demo=$!
    # The reader is up once its server has announced itself and the window had time to paint.
    for _ in $(seq 200); do
        pgrep -f "QuillmereServer .*$QUILLMERE_DEMO_HOME" >/dev/null && break
        kill -0 $demo 2>/dev/null || break
        sleep 0.1
    done
    sleep 3
    if [ "$READ_THREAD" = 1 ]; then
        # Window-relative places of the controls, as the windows lay them out.
        click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep "${4:-1}"; }
        main=$(xdotool search --onlyvisible --name "^Quillmere$" | head -1)
        click "$main" 72 54         # the tab "我的关注"
        click "$main" 81 91 1.5     # "添加关注网页"
        dialog=$(xdotool search --onlyvisible --name "^添加关注网页$" | head -1)
        xdotool windowfocus --sync "$dialog"
        xdotool type --delay 5 "http://www.forum.localhost:$QUILLMERE_DEMO_PORT/publicforum/content/free/1/1001-1.shtml"
        xdotool key Return          # "添加"
        sleep 3
        xdotool key Return          # yes to "是否立即阅读？"
        sleep 5
        reading=""
        for w in $(xdotool search --onlyvisible --name "."); do
            case "$(xdotool getwindowname "$w")" in
            Quillmere | 添加关注网页 | "Qt Selection Owner"*) ;;
            *) reading=$w ;;
            esac
        done
        if [ -n "$reading" ]; then
            width=$(xdotool getwindowgeometry "$reading" | sed -n "s/.*Geometry: \([0-9]*\)x.*/\1/p")
            click "$reading" $((width - 100)) 48 2   # "高亮楼主"
            click "$reading" 165 50 2                # "下一页"
            click "$reading" 300 300 0.5             # into the posts, then the key for "下一页"
            xdotool key alt+Right
            sleep 2
        else
            echo "no reading window opened" >&2
        fi
    fi
    build/bin/QuillmereScreenGrab "'"$out"'"
    status=0
    kill -0 $demo 2>/dev/null || { echo "the demo ended early:"; cat "$QUILLMERE_DEMO_HOME/run.log"; status=1; }
    kill -TERM $demo 2>/dev/null || true
    pkill -TERM -P $demo 2>/dev/null || true
    wait $demo 2>/dev/null || true
    exit $status
'
echo "$out"
