#!/usr/bin/env bash
# Thumbnails through a real thumbnail service: the build's install rules
# staged under a temporary prefix (what the package installs), that prefix
# first in XDG_DATA_DIRS and PATH, Debian's tumbler on a private session
# bus. Three models are queued by URI (an OBJ, an STL, a PLY) with a hostile
# file; each model must get a thumbnail of 128 pixels on its longer side with
# its URI recorded, the model filling it and clear of its border, and the
# hostile file an Error signal and no thumbnail. The staged PLY type must
# also be what the MIME database makes of a file that only begins "ply".
#
#   thumbnailer_e2e.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
tumblerd=$(ls /usr/lib/*/tumbler-1/tumblerd 2>/dev/null | head -1)
[ -x "$tumblerd" ] || { echo "thumbnails: tumbler is not installed (scripts/install-deps.sh test)"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/usr" >/dev/null
share=$work/usr/share
for f in thumbnailers/octaspin.thumbnailer mime/packages/octaspin.xml; do
    [ -s "$share/$f" ] || { echo "thumbnails: $f not installed"; exit 1; }
done

# The PLY type: by name and by content.
update-mime-database "$share/mime" >/dev/null
export XDG_DATA_DIRS=$share:/usr/share
printf 'ply\nformat ascii 1.0\n' >"$work/model.data"
for f in "$work/model.data" /usr/share/assimp/models/PLY/Wuson.ply; do
    type=$(gio info -a standard::content-type "$f" | sed -n 's/.*standard::content-type: //p')
    [ "$type" = model/x-ply ] || { echo "thumbnails: $f is '$type', not model/x-ply"; exit 1; }
done

# The models and the hostile file (a PLY that claims more vertices than
# its bytes hold).
models=(/usr/share/glmark2/models/bunny.obj /usr/share/assimp/models/STL/Spider_binary.stl
        /usr/share/assimp/models/PLY/Wuson.ply)
types=(model/obj model/stl model/x-ply)
hostile=$work/hostile.ply
printf 'ply\nformat binary_little_endian 1.0\nelement vertex 4000000000\nproperty float x\nend_header\n' >"$hostile"
uri() { printf 'file://%s' "$1"; }
md5() { printf '%s' "$1" | md5sum | cut -d' ' -f1; }

export XDG_CACHE_HOME=$work/cache PATH=$work/usr/bin:$PATH
thumbs=$XDG_CACHE_HOME/thumbnails/normal

cat >"$work/session.sh" <<SESSION
set -eu
dbus-monitor --session "type='signal',interface='org.freedesktop.thumbnails.Thumbnailer1'" \
    >"$work/signals.log" 2>&1 &
"$tumblerd" >"$work/tumbler.log" 2>&1 &
for i in \$(seq 300); do
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner org.freedesktop.thumbnails.Thumbnailer1 |
        grep -q true && break
    sleep 0.1
done
gdbus call --session --dest org.freedesktop.thumbnails.Thumbnailer1 \
    --object-path /org/freedesktop/thumbnails/Thumbnailer1 \
    --method org.freedesktop.thumbnails.Thumbnailer1.Queue \
    "['$(uri "${models[0]}")', '$(uri "${models[1]}")', '$(uri "${models[2]}")', '$(uri "$hostile")']" \
    "['${types[0]}', '${types[1]}', '${types[2]}', 'model/x-ply']" normal default 0 >/dev/null
# Until every model has its thumbnail and the hostile file its error, at
# most two minutes.
for i in \$(seq 240); do
    done=0
    for m in ${models[*]}; do
        [ -s "$thumbs/\$(printf 'file://%s' "\$m" | md5sum | cut -d' ' -f1).png" ] && done=\$((done + 1))
    done
    if [ "\$done" = ${#models[@]} ] && grep -q "$(uri "$hostile")" "$work/signals.log"; then
        break
    fi
    sleep 0.5
done
sleep 0.5
SESSION
timeout 200 dbus-run-session -- bash "$work/session.sh" 2>/dev/null

fail=0
for m in "${models[@]}"; do
    t=$thumbs/$(md5 "$(uri "$m")").png
    if [ ! -s "$t" ]; then
        echo "thumbnails: no thumbnail of $m"
        fail=1
        continue
    fi
    read -r w h recorded < <(identify -format '%w %h %[Thumb::URI]\n' "$t")
    # The covered pixels' box: WxH+X+Y.
    box=$(convert "$t" -alpha extract -format '%@' info:)
    read -r bw bh bx by < <(echo "$box" | tr 'x+' '  ')
    longer=$((w > h ? w : h))
    extent=$((bw > bh ? bw : bh))
    echo "thumbnails: $(basename "$m"): ${w}x${h}, model in $box"
    [ "$longer" = 128 ] || { echo "  not 128 pixels on its longer side"; fail=1; }
    [ "$recorded" = "$(uri "$m")" ] || { echo "  Thumb::URI is '$recorded'"; fail=1; }
    [ "$extent" -ge 56 ] || { echo "  the model does not fill it (45% of a side at least)"; fail=1; }
    if [ "$bx" -lt 1 ] || [ "$by" -lt 1 ] || [ $((bx + bw)) -ge "$w" ] || [ $((by + bh)) -ge "$h" ]; then
        echo "  the model touches the border"
        fail=1
    fi
done
if [ -e "$thumbs/$(md5 "$(uri "$hostile")").png" ]; then
    echo "thumbnails: the hostile file got a thumbnail"
    fail=1
fi
if ! grep -A8 'member=Error' "$work/signals.log" | grep -q "$(uri "$hostile")"; then
    echo "thumbnails: no Error signal for the hostile file"
    fail=1
fi
if [ "$fail" -ne 0 ]; then
    echo "--- signals"; cat "$work/signals.log"; echo "--- tumbler"; tail -20 "$work/tumbler.log"
    exit 1
fi
echo "thumbnails: tumbler drew every model with octaspin-render and refused the hostile file"
