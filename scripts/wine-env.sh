# Sourced by the scripts that run the Windows program: a private Wine prefix under
# build/ and a private Xvfb display, both ended again by wine_env_stop.
# Usage: wine_env_start; ...; wine_env_stop

wine_root="${wine_root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export WINEPREFIX="${WINEPREFIX_OVERRIDE:-$wine_root/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
wine_xvfb_pid=""

wine_env_start() {
    local n
    for n in $(seq 91 160); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
            wine_xvfb_pid=$!
            local i
            for i in $(seq 1 100); do
                [ -e "/tmp/.X11-unix/X$n" ] && break
                kill -0 "$wine_xvfb_pid" 2>/dev/null || break
                sleep 0.1
            done
            if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$wine_xvfb_pid" 2>/dev/null; then
                export DISPLAY=":$n"
                break
            fi
            wine_xvfb_pid=""
        fi
    done
    [ -n "$wine_xvfb_pid" ] || { echo "could not start Xvfb" >&2; return 1; }

    wine_prefix_setup
}

# The private prefix, made once: every program of it inside one virtual desktop, the
# program's faces drawn with DejaVu Sans.
wine_prefix_setup() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    # The marker names the last change to this setup, so an older prefix is set up again.
    if [ ! -f "$WINEPREFIX/.orvanta-ready-4" ]; then
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
        # Every program of the prefix runs inside one virtual desktop of the display.
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
        # The program's faces are not free: draw them with DejaVu Sans, as the Linux
        # build does, rather than with whatever fontconfig offers first. (Value names
        # are not case-sensitive: "MS Sans Serif" also stands for "Ms Sans Serif".)
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Verdana' /d 'DejaVu Sans' /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Sans Serif' /d 'DejaVu Sans' /f >/dev/null 2>&1
        # Characters DejaVu Sans lacks (Chinese, Japanese, Korean, emoji) come from the
        # fonts linked to it, as Windows links its own fonts to its CJK and symbol fonts.
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v 'DejaVu Sans' \
            /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei\0Symbola_hint.ttf,Symbola' /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.orvanta-ready-4"
    fi
}

wine_env_stop() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$wine_xvfb_pid" ]; then
        kill "$wine_xvfb_pid" 2>/dev/null || true
        wait "$wine_xvfb_pid" 2>/dev/null || true
        wine_xvfb_pid=""
    fi
}

# Windows form of a Unix path (Wine maps / to Z:).
wine_path() { printf 'Z:%s' "$(realpath "$1" | sed 's|/|\\|g')"; }
