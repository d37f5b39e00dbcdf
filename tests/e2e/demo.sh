#!/usr/bin/env bash
# The program doing its job without the internet: the imitation site with a sample album of real photos in
# a private network namespace, and Verdaly against it.
#   With $DISPLAY: Verdaly opens on that screen; log in and download the album as printed below.
#   Without:       one login and one download run by themselves; a screenshot and the photos stay in build/demo.
# Started by "./run --demo" (after the build); VERDALY_BUILD names the build tree (default build/win).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

DEMO_EMAIL=demo@verdaly.test
DEMO_PASSWORD=demo1234
DEMO_ALBUM=http://photo.renren.com/photo/200000001/album-880001
demo=$root/build/demo

if [ -z "${VERDALY_IN_SANDBOX:-}" ]; then
    export VERDALY_BUILD=${VERDALY_BUILD:-$root/build/win}
    [ -n "${DISPLAY:-}" ] && export VERDALY_DISPLAY=$DISPLAY
    exec "$here/sandbox.sh" "$0" "$@"
fi

# Inside the sandbox from here on: the site's names point at this machine.
mkdir -p "$demo/album"
rm -rf "$demo/downloads"
mkdir -p "$demo/downloads"
# Eight real photos, drawn once.
for i in 1 2 3 4 5 6 7 8; do
    photo=$demo/album/lake_0$i.jpg
    [ -s "$photo" ] || convert -seed "$i" -size 640x480 plasma:steelblue-wheat -blur 0x2 -quality 85 "$photo"
done

export DEMO_EMAIL DEMO_PASSWORD DEMO_ALBUM DEMO_DIR=$demo DEMO_HERE=$here
exec python3 - <<'EOF'
import os
import subprocess
import sys
import time

sys.path.insert(0, os.environ["DEMO_HERE"])
import harness  # noqa: E402

email, password, album = os.environ["DEMO_EMAIL"], os.environ["DEMO_PASSWORD"], os.environ["DEMO_ALBUM"]
demo = os.environ["DEMO_DIR"]
photos = sorted(os.listdir(os.path.join(demo, "album")))
config = {
    "accounts": [{"email": email, "password": password, "name": "Demo"}],
    "album_requires_login": True,
    "albums": {"200000001/880001": {"title": "西湖", "photos": [
        {"url": "http://fmn.rrimg.com/fmn059/20130512/1830/%s" % name, "file": os.path.join(demo, "album", name)}
        for name in photos]}},
}
downloads = os.path.join(demo, "downloads")
folder = "Z:" + downloads.replace("/", "\\")
h = harness.Harness("demo")
try:
    h.start_site(config)
    if os.environ.get("VERDALY_DISPLAY"):
        print("Verdaly is starting on %s against the local imitation of the site." % os.environ["DISPLAY"])
        print("  人人帐号 (account):  %s" % email)
        print("  用户密码 (password): %s" % password)
        print("  相册地址 (album):    %s" % album)
        print("  保存目录 (folder):   %s   (type it, or pick it with 目 录)" % folder)
        print("Close Verdaly to end the demo.", flush=True)
        os.chdir(h.appdir)
        subprocess.run([harness.WINE, harness.EXE], stdin=subprocess.DEVNULL)
    else:
        app = h.start_app()
        app.log_in(email, password, "登录成功，请配置相册信息")
        h.inspect.clipboard_set(album)
        app.click(app.tree().find(id=111))
        app.wait_text(110, album, timeout=10)
        app.type_into(app.tree().find(id=113), folder)
        app.click(app.tree().find(id=123))
        done = app.wait_text(125, lambda t: t.startswith("[相册下载"), timeout=120, what="the end of the run")
        app.wait_text(127, "100%", timeout=10)
        time.sleep(0.5)
        left, top, right, bottom = app.tree().top["rect"]
        full = h.screenshot("-screen")
        dpi = os.environ.get("VERDALY_DPI", "96")
        shot = os.path.join(demo, "verdaly-demo%s.png" % ("" if dpi == "96" else "-dpi" + dpi))
        subprocess.run(["convert", full, "-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
                        "+repage", shot], check=True)
        print("Logged in as %s, downloaded %s" % (email, album))
        print("Status line: %s" % done.text)
        print("Screenshot:  %s" % shot)
        print("Photos (%d): %s" % (len(os.listdir(downloads)), downloads))
finally:
    h.stop()
EOF
