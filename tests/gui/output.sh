#!/usr/bin/env bash
# Copy, print and bitmap export of the real program against the real X
# clipboard, a real CUPS queue with a PDF printer, and real files.
. "$(dirname "$0")/lib.sh"

app=$(gui_make_appdir)
gui_start "$app"
gui_screenshot "$GUI_TMP/window.png" "$GUI_WIN"
# The seal control: (720, 480) twips = (48, 32) px, 2055 twips = 137 px.
convert "$GUI_TMP/window.png" -crop 137x137+48+32 +repage "$GUI_TMP/screen-seal.png"

# --- "复 制": a bitmap and PNG with the pixels on screen
gui_click_button cmdCopy
gui_wait_for 5 bash -c "xclip -selection clipboard -t TARGETS -o | grep -qx image/png" \
  || gui_fail "no image/png on the clipboard"
targets=$(xclip -selection clipboard -t TARGETS -o | tr '\n' ' ')
echo "clipboard targets: $targets"
case " $targets " in *" image/bmp "*) ;; *) gui_fail "no bitmap on the clipboard: $targets" ;; esac
xclip -selection clipboard -t image/png -o >"$GUI_TMP/clip.png"
gui_expect_eq "clipboard PNG size" "137x137" "$(identify -format '%wx%h' "$GUI_TMP/clip.png")"
diff=$(compare -metric AE "$GUI_TMP/clip.png" "$GUI_TMP/screen-seal.png" null: 2>&1 || true)
gui_expect_eq "pixels differing between clipboard and screen" 0 "$diff"
xclip -selection clipboard -t image/bmp -o >"$GUI_TMP/clip.bmp"
diff=$(compare -metric AE "$GUI_TMP/clip.bmp" "$GUI_TMP/screen-seal.png" null: 2>&1 || true)
gui_expect_eq "pixels differing between clipboard bitmap and screen" 0 "$diff"

# --- "另 存": cancel writes nothing; a typed name gets .BMP and the pixels
before=$(ls -A "$app" | LC_ALL=C sort | tr '\n' ' ')
gui_click_button cmdSaveAs
gui_dialog_key '^另存为$' Escape
gui_wait_gone '^另存为$' || gui_fail "the cancelled export dialog stayed"
gui_expect_eq "files after a cancelled export" "$before" "$(ls -A "$app" | LC_ALL=C sort | tr '\n' ' ')"
gui_click_button cmdSaveAs
gui_dialog_type '^另存为$' "$app/seal"
gui_wait_for 5 test -f "$app/seal.BMP" || gui_fail "另 存 wrote no seal.BMP"
gui_expect_eq "bitmap format, size, depth" "BMP3 137x137 8" \
  "$(identify -format '%m %wx%h %z' "$app/seal.BMP")"
gui_expect_eq "bits per pixel in the header" "24" "$(od -An -tu2 -j28 -N2 "$app/seal.BMP" | tr -d ' ')"
diff=$(compare -metric AE "$app/seal.BMP" "$GUI_TMP/screen-seal.png" null: 2>&1 || true)
gui_expect_eq "pixels differing between bitmap file and screen" 0 "$diff"
# Exporting again over it asks first; yes replaces it whole. The file is made
# different first, so that only a real replacement passes.
convert -size 3x2 xc:white BMP3:"$app/seal.BMP"
gui_click_button cmdSaveAs
gui_dialog_type '^另存为$' "$app/seal.BMP"
gui_dialog_key '^另存为$' y   # the confirmation box carries the dialog's title
gui_wait_for 10 bash -c "[ \"\$(identify -format '%wx%h' '$app/seal.BMP' 2>/dev/null)\" = 137x137 ]" \
  || gui_fail "re-export did not replace seal.BMP: $(identify -format '%wx%h' "$app/seal.BMP")"
diff=$(compare -metric AE "$app/seal.BMP" "$GUI_TMP/screen-seal.png" null: 2>&1 || true)
gui_expect_eq "pixels differing between the re-exported file and screen" 0 "$diff"
[ -z "$(ls "$app" | grep -v '^seal.BMP$\|^PlometSample$\|\.log$' || true)" ] || gui_fail "stray files: $(ls "$app")"

# --- "打 印": the default CUPS queue turns the page into a PDF
plomet_start_cups
pdf_dir=$(getent passwd "$(id -un)" | cut -d: -f6)/PDF
mkdir -p "$pdf_dir"
stamp="$GUI_TMP/stamp"; touch "$stamp"; sleep 1
gui_click_button cmdPrint
gui_wait_for 30 bash -c "[ -n \"\$(find '$pdf_dir' -name '*.pdf' -newer '$stamp')\" ] && [ -z \"\$(lpstat -o)\" ]" \
  || gui_fail "no PDF from the print queue in $pdf_dir"
sleep 1.5   # cups-pdf finishes writing after the job leaves the queue
pdf=$(find "$pdf_dir" -name '*.pdf' -newer "$stamp" | head -1)
echo "printed: $pdf"
pdftoppm -r 300 -png -singlefile "$pdf" "$GUI_TMP/page" 2>/dev/null
page="$GUI_TMP/page.png"
read -r pw ph < <(identify -format '%w %h\n' "$page")
# The red of the seal only: its bounding box on the page, in 300-dpi pixels.
bbox=$(convert "$page" -fuzz 25% -fill white +opaque red -fill black -opaque red -trim -format '%w %h %X %Y' info:)
read -r bw bh bx by <<<"${bbox//+/}"
echo "page ${pw}x${ph} px at 300 dpi; red box ${bw}x${bh} at (${bx}, ${by}) px"
# Where the printer's printable area starts: the PPD's imageable area of its
# default page size, "llx lly urx ury" in points from the bottom-left.
ppd=/etc/cups/ppd/PlometPDF.ppd
size=$(sed -n 's/^\*DefaultPageSize: *//p' "$ppd" | tr -d '\r')
read -r llx _ _ ury < <(sed -n "s/^\*ImageableArea $size[/:][^\"]*\"\([^\"]*\)\".*/\1/p" "$ppd")
read -r _ paperh < <(sed -n "s/^\*PaperDimension $size[/:][^\"]*\"\([^\"]*\)\".*/\1/p" "$ppd")
echo "printable area of $size starts at ($llx, $(awk -v h="$paperh" -v u="$ury" 'BEGIN{print h-u}')) pt"
# The ring's outer edge: radius 979 twips about the centre (1028, 1028) of the
# 2055-twip picture, whose corner lies 1 twip into the printable area. Its box
# is therefore 1958 twips wide, its left and top 50 twips into that area.
awk -v w="$bw" -v h="$bh" -v x="$bx" -v y="$by" -v llx="$llx" -v ury="$ury" -v ph="$paperh" 'BEGIN {
  px = 300 / 1440; want = 1958 * px; ax = (llx * 20 + 50) * px; ay = ((ph - ury) * 20 + 50) * px;
  mm = 25.4 / 300;
  printf "printed ring: %.2f x %.2f mm at (%.2f, %.2f) mm from the page corner; expected %.2f mm at (%.2f, %.2f) mm\n",
         w * mm, h * mm, x * mm, y * mm, want * mm, ax * mm, ay * mm;
  bad = (w < want - 4 || w > want + 4 || h < want - 4 || h > want + 4 || x < ax - 3 || x > ax + 3 || y < ay - 3 || y > ay + 3);
  exit bad }' || gui_fail "the printed seal is not where and as large as expected"
if [ -n "${PLOMET_SCREENSHOT_DIR:-}" ]; then cp "$page" "$PLOMET_SCREENSHOT_DIR/printed-page.png"; fi
rm -f "$pdf"

gui_close
gui_wait_exit 10

# --- no printer: a clear message, nothing else changes
app=$(gui_make_appdir)
gui_start "$app" CUPS_SERVER=/nonexistent/plomet-cups.sock
gui_click_button cmdPrint
box=$(gui_find_window '^PlometSample$' 10) || gui_fail "no message without a printer"
gui_screenshot "$GUI_TMP/no-printer.png" "$box"
if [ -n "${PLOMET_SCREENSHOT_DIR:-}" ]; then cp "$GUI_TMP/no-printer.png" "$PLOMET_SCREENSHOT_DIR/"; fi
gui_dialog_key '^PlometSample$' Return
gui_wait_gone '^PlometSample$' || gui_fail "the printer message stayed"
kill -0 "$GUI_PID" || gui_fail "the program ended after the printer message"
gui_close
gui_wait_exit 10
[ -f "$app/Plomet.PMF" ] || gui_fail "no default file after the printer message"
# --- a queue that refuses jobs: a clear message instead of a lost page
lpstat -p PlometReject >/dev/null 2>&1 || lpadmin -p PlometReject -v cups-pdf:/ -E -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null
cupsreject PlometReject
trap 'lpadmin -x PlometReject 2>/dev/null || true; gui_cleanup' EXIT
app=$(gui_make_appdir)
gui_start "$app" LPDEST=PlometReject
gui_click_button cmdPrint
box=$(gui_find_window '^PlometSample$' 10) || gui_fail "no message when the queue refuses jobs"
gui_screenshot "$GUI_TMP/refused.png" "$box"
gui_dialog_key '^PlometSample$' Return
gui_wait_gone '^PlometSample$' || gui_fail "the refused-job message stayed"
kill -0 "$GUI_PID" || gui_fail "the program ended after the refused job"
gui_close
gui_wait_exit 10
echo "PASS"
