#!/usr/bin/env python3
"""Cards per second of the virtual card printer against a label designer's
batch tool (glabels-3-batch) on the same cards with photos.

Both print the same collection: `vellora-id --print all` writes a PNG per
card side, a PDF and a stripe file per card into printed/; glabels-3-batch
merges the same card data and photo files into a CR80 template and writes
one PDF. The two run alternately, several rounds in the same run (the
machine is shared: compare the ratios, not the absolute rates), each timed
as a whole process, start-up included.

Needs the built program (the build folder's VelloraID/vellora-id) and
glabels-3-batch, which is installed by hand for this measurement only:

    sudo apt-get install --no-install-recommends glabels
    bench/app/compare_label_batch.py build [--cards 200] [--rounds 5]

The collection (build/bench-collections/cards-N, a photo file for every
card) is made by the command-line benchmark when it is missing.
"""
import argparse
import csv
import os
import shutil
import sqlite3
import statistics
import subprocess
import sys
import tempfile
import time

TEMPLATE = """<?xml version="1.0"?>
<Glabels-document xmlns="http://glabels.org/xmlns/3.0/">
  <Template brand="Bench" part="CR80" size="Other" width="85.6mm" height="54mm" description="CR80 card">
    <Meta category="card"/>
    <Label-rectangle id="0" width="85.6mm" height="54mm" round="3mm" x_waste="0mm" y_waste="0mm">
      <Markup-margin size="1mm"/>
      <Layout nx="1" ny="1" x0="0mm" y0="0mm" dx="85.6mm" dy="54mm"/>
    </Label-rectangle>
  </Template>
  <Objects id="0" rotate="False">
    <Object-image x="4mm" y="8mm" w="28mm" h="37mm" field="photo" a0="1" a1="0" a2="0" a3="1" a4="0" a5="0"/>
{texts}
  </Objects>
  <Merge type="Text/Comma/Line1Keys" src="{csv}"/>
</Glabels-document>
"""

TEXT = """    <Object-text x="36mm" y="{y}mm" w="47mm" h="8mm" justify="Left" valign="Top" auto_shrink="False" a0="1" a1="0" a2="0" a3="1" a4="0" a5="0">
      <Span font_family="DejaVu Sans" font_size="{size}" font_weight="Bold" font_italic="False" color="0x000000ff" line_spacing="1">{fields}</Span>
    </Object-text>"""


def card_rows(folder):
    """The cards of the collection's card table with their photo files."""
    db = sqlite3.connect("file:%s?mode=ro" % os.path.join(folder, "data", "cardset1.DB"), uri=True)
    table = db.execute("SELECT name FROM engine_table").fetchone()[0]
    wanted = ["Card_Number", "First_name", "Last_name", "Title", "Department"]
    cols = ", ".join('"%s"' % w for w in wanted)
    rows = []
    for values in db.execute('SELECT %s FROM "%s" ORDER BY "Card_Number"' % (cols, table)):
        row = dict(zip(wanted, ["" if v is None else str(v) for v in values]))
        row["photo"] = os.path.join(folder, "data", "images", "%s.jpg" % row["Card_Number"])
        rows.append(row)
    db.close()
    return rows


def make_job(folder, work):
    rows = card_rows(folder)
    data = os.path.join(work, "cards.csv")
    with open(data, "w", newline="") as f:
        w = csv.DictWriter(f, fieldnames=list(rows[0].keys()))
        w.writeheader()
        w.writerows(rows)
    texts = [
        TEXT.format(y=8, size=14, fields='<Field name="First_name"/> <Field name="Last_name"/>'),
        TEXT.format(y=18, size=11, fields='<Field name="Title"/>'),
        TEXT.format(y=26, size=11, fields='<Field name="Department"/>'),
        TEXT.format(y=38, size=11, fields='<Field name="Card_Number"/>'),
    ]
    template = os.path.join(work, "cr80.glabels")
    with open(template, "w") as f:
        f.write(TEMPLATE.format(texts="\n".join(texts), csv=data))
    return template, len(rows)


def timed(cmd, env=None):
    start = time.monotonic()
    done = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
    seconds = time.monotonic() - start
    if done.returncode != 0:
        sys.exit("%s failed (%d): %s" % (cmd[0], done.returncode, done.stderr.decode(errors="replace")[-2000:]))
    return seconds


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("build", help="the build folder")
    ap.add_argument("--cards", type=int, default=200)
    ap.add_argument("--rounds", type=int, default=5)
    args = ap.parse_args()

    build = os.path.abspath(args.build)
    program = os.path.join(build, "VelloraID", "vellora-id")
    peer = shutil.which("glabels-3-batch")
    if not peer:
        sys.exit("glabels-3-batch is not installed (apt-get install --no-install-recommends glabels)")
    folder = os.path.join(build, "bench-collections", "cards-%d" % args.cards)
    if not os.path.exists(os.path.join(folder, ".complete")):
        subprocess.run([os.path.join(build, "bench", "app", "app_bench_cli_print"),
                        "--benchmark_filter=BM_PrintAll/%d/" % args.cards], check=True)

    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    with tempfile.TemporaryDirectory() as work:
        template, cards = make_job(folder, work)
        out = os.path.join(work, "labels.pdf")
        ours_cmd = [program, "--folder", folder, "--print", "all"]
        peer_cmd = [peer, "-o", out, template]
        ratios, ours_rates, peer_rates = [], [], []
        for r in range(args.rounds):
            shutil.rmtree(os.path.join(folder, "printed"), ignore_errors=True)
            if os.path.exists(out):
                os.remove(out)
            order = [("ours", ours_cmd), ("peer", peer_cmd)]
            if r % 2:
                order.reverse()
            seconds = {}
            for name, cmd in order:
                seconds[name] = timed(cmd, env)
            ours = cards / seconds["ours"]
            theirs = cards / seconds["peer"]
            ours_rates.append(ours)
            peer_rates.append(theirs)
            ratios.append(ours / theirs)
            print("round %d: vellora-id %.1f cards/s, glabels-3-batch %.1f cards/s, ratio %.2f"
                  % (r + 1, ours, theirs, ours / theirs), flush=True)
        printed = len([f for f in os.listdir(os.path.join(folder, "printed")) if f.endswith(".png")])
        if printed != cards:
            sys.exit("vellora-id printed %d of %d cards" % (printed, cards))
        print("%d cards, %d rounds: vellora-id median %.1f cards/s, glabels-3-batch median %.1f cards/s, "
              "median ratio %.2f (min %.2f, max %.2f)"
              % (cards, args.rounds, statistics.median(ours_rates), statistics.median(peer_rates),
                 statistics.median(ratios), min(ratios), max(ratios)))


if __name__ == "__main__":
    main()
