#!/usr/bin/env bash
# Throughput benchmark: times the console program against the tools people
# would otherwise use, on the same random payload in the same run, and prints
# one table row per job: our MB/s, the peer's MB/s, the wall-time ratio
# (ours / peer; lower is better) and the peak memory of both. Beside them, the
# MB/s of `cat` doing the least any job on that file must do (copying the
# input into the output folder; for the scan, reading it into /dev/null) and
# our wall time as a multiple of cat's.
#
#   bench/run.sh [--rows REGEX] [SIZE_MIB] [RUNS]     (defaults 64 and 5)
#
# Each pair first runs once untimed under /usr/bin/time for its peak memory,
# then interleaved with cat (ours, peer, cat, ours, peer, cat, ...) RUNS
# times; the table shows the median wall times. Every output of every run is checked against the
# payload; a wrong output or a failing command names the row and exits 1.
# It builds a Release console program in build-bench and works in bench/work,
# which it removes at the end.
# --rows runs only the rows whose job name matches the extended regular
# expression, e.g. --rows 'decode (UU|XX)' or --rows scan.
# The table goes to standard output, progress to standard error.
# It is a benchmark, not a test: no time makes it fail.
set -euo pipefail
export LC_ALL=C # $EPOCHREALTIME and awk must use a decimal point

usage() {
  echo "usage: bench/run.sh [--rows REGEX] [SIZE_MIB] [RUNS]" >&2
  exit 2
}

rows_regex=""
args=()
while (($#)); do
  case $1 in
    --rows) (($# >= 2)) || usage; rows_regex=$2; shift 2 ;;
    --rows=*) rows_regex=${1#--rows=}; shift ;;
    -h | --help) usage ;;
    -*) usage ;;
    *) args+=("$1"); shift ;;
  esac
done
((${#args[@]} <= 2)) || usage
size_mib=${args[0]:-64}
runs=${args[1]:-5}
[[ $size_mib =~ ^[1-9][0-9]*$ && $runs =~ ^[1-9][0-9]*$ ]] || usage

root=$(cd "$(dirname "$0")/.." && pwd)
log() { echo "bench: $*" >&2; }

"$root/scripts/setup.sh" >&2
log "building the Release console program in build-bench"
"$root/scripts/build.sh" "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DTWICK_BUILD_TESTS=OFF >&2
twick="$root/build-bench/twick"

work="$root/bench/work"
rm -rf "$work"
mkdir -p "$work"
trap 'cd "$root" && rm -rf "$work"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
cd "$work"

payload_bytes=$((size_mib * 1024 * 1024))
log "making a ${size_mib} MiB random payload"
head -c "$payload_bytes" /dev/urandom > payload.bin

# --- inputs, each made on first use ---------------------------------------

need_b64() { [ -e plain.b64 ] || base64 -w 76 payload.bin > plain.b64; }

need_mime() {
  [ -e mime.txt ] && return
  need_b64 || return
  {
    printf 'From: bench@example.org\nSubject: payload\nMIME-Version: 1.0\n'
    printf 'Content-Type: application/octet-stream; name="payload.bin"\n'
    printf 'Content-Transfer-Encoding: base64\n\n'
    cat plain.b64
  } > mime.txt
}

need_uue() { [ -e payload.uue ] || uuencode payload.bin payload.bin > payload.uue; }

need_ours() {  # FORMAT EXT: our own encoding of the payload, as payload.EXT
  [ -e "payload.$2" ] || "$twick" encode --format "$1" --overwrite payload.bin >/dev/null 2>&1
}

# binhex names the Mac file after the Unix one; hexbin -d writes its data fork
# to payload.bin.data in the current folder, ours writes out/payload.bin.
need_hqx() { [ -e payload.hqx ] || binhex -d payload.bin > payload.hqx; }

# One yEnc part of the whole payload, as uuenview writes it.
need_yenc() { [ -e payload.yenc ] || uuenview -y payload.bin > payload.yenc 2>/dev/null; }

# For reference: sabyenc3's decode speed on the same bytes in memory (best
# of RUNS, the posting's lines ended by CR LF), printed under the table.
sabyenc_speed() {
  /usr/bin/python3 - payload.yenc payload.bin "$runs" <<'EOF'
import sabyenc3, sys, time
# sabyenc3 reads lines ended by CR LF only (LF never stands alone in yEnc data).
text = open(sys.argv[1], 'rb').read().replace(b'\r\n', b'\n').replace(b'\n', b'\r\n')
want = open(sys.argv[2], 'rb').read()
best = None
for _ in range(int(sys.argv[3])):
    t0 = time.perf_counter()
    data = sabyenc3.decode_usenet_chunks([text])[0]
    t1 = time.perf_counter()
    best = t1 - t0 if best is None else min(best, t1 - t0)
if data != want:
    sys.exit("sabyenc3 decoded other bytes")
print("# for reference: sabyenc3 decode_usenet_chunks in memory, %.1f MB/s" % (len(want) / best / 1e6))
EOF
}

# A plain-text mbox of SIZE_MIB MiB: messages with headers, wrapped prose,
# quoted replies and signatures, no encoded data; then one last message
# holding a small UU attachment.
need_spool() {
  [ -e spool.txt ] && return
  log "making a ${size_mib} MiB plain-text mail spool"
  head -c 4096 /dev/urandom > small.bin || return
  awk -v target=$((payload_bytes - 8192)) '
    function pick(list, n) { return list[int(rand() * n) + 1] }
    function sentence(   s, k, i) {
      k = 4 + int(rand() * 14)
      s = pick(W, nw); s = toupper(substr(s, 1, 1)) substr(s, 2)
      for (i = 2; i <= k; i++) s = s (rand() < 0.08 ? ", " : " ") pick(W, nw)
      return s (rand() < 0.1 ? "?" : ".")
    }
    function paragraph(prefix,   line, w, n, i, k) {
      n = 1 + int(rand() * 5); line = ""
      for (i = 1; i <= n; i++) {
        k = split(sentence(), ws, " ")
        for (w = 1; w <= k; w++) {
          if (length(line) + length(ws[w]) >= 72) { out(prefix line); line = "" }
          line = line == "" ? ws[w] : line " " ws[w]
        }
      }
      if (line != "") out(prefix line)
      out("")
    }
    function out(s) { print s; bytes += length(s) + 1 }
    BEGIN {
      srand(20261207)
      nw = split("the of and to a in is it you that he was for on are with as I his they " \
        "be at one have this from or had by not word but what some we can out other were " \
        "all there when up use your how said an each she which do their time if will way " \
        "about many then them write would like so these her long make thing see him two " \
        "has look more day could go come did number sound no most people my over know " \
        "water than call first who may down side been now find any new work part take get " \
        "place made live where after back little only round man year came show every good " \
        "me give our under name very through just form sentence great think say help low " \
        "line differ turn cause much mean before move right boy old too same tell does set " \
        "three want air well also play small end put home read hand port large spell add " \
        "even land here must big high such follow act why ask men change went light kind " \
        "off need house picture try us again animal point mother world near build self " \
        "earth father head stand own page should country found answer school grow study " \
        "still learn plant cover food sun four between state keep eye never last let " \
        "thought city tree cross farm hard start might story saw far sea draw left late " \
        "run while press close night real life few north open seem together next white " \
        "children got walk example ease paper group always music those both mark often " \
        "letter until mile river car feet care second book carry took science eat room " \
        "friend began idea fish mountain stop once base hear horse cut sure watch color " \
        "face wood main enough plain girl usual young ready above ever red list though " \
        "feel talk bird soon body dog family direct pose leave song measure door product " \
        "black short numeral class wind question happen complete ship area half rock " \
        "order fire south problem piece told knew pass since top whole king space heard " \
        "best hour better true during hundred five remember step early hold west ground " \
        "interest reach fast verb sing listen six table travel less morning ten simple " \
        "several vowel toward war lay against pattern slow center love person money serve " \
        "appear road map rain rule govern pull cold notice voice unit power town fine " \
        "certain fly fall lead cry dark machine note wait plan figure star box noun field " \
        "rest correct able pound done beauty drive stood contain front teach week final " \
        "gave green oh quick develop ocean warm free minute strong special mind behind " \
        "clear tail produce fact street inch multiply nothing course stay wheel full force " \
        "blue object decide surface deep moon island foot system busy test record boat " \
        "common gold possible plane stead dry wonder laugh thousand ago ran check game " \
        "shape equate hot miss brought heat snow tire bring yes distant fill east paint " \
        "language among compiler kernel patch mailbox newsgroup archive release", W, " ")
      nn = split("Alice Bob Carol Dave Erin Frank Grace Heidi Ivan Judy Mallory Oscar " \
        "Peggy Rupert Sybil Trent Victor Walter", N, " ")
      nd = split("example.org example.net example.com mail.example.edu news.example.org", D, " ")
      nm = split("Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec", M, " ")
      ny = split("Mon Tue Wed Thu Fri Sat Sun", Y, " ")
      while (bytes < target) {
        msg++
        who = pick(N, nn); dom = pick(D, nd)
        day = pick(Y, ny); mon = pick(M, nm); mday = 1 + int(rand() * 28)
        hms = sprintf("%02d:%02d:%02d", int(rand() * 24), int(rand() * 60), int(rand() * 60))
        date = sprintf("%s, %d %s 2026 %s +0000", day, mday, mon, hms)
        out(sprintf("From %s@%s %s %s %2d %s 2026", tolower(who), dom, day, mon, mday, hms))
        out("From: " who " <" tolower(who) "@" dom ">")
        out("To: list@example.net")
        out("Subject: " (rand() < 0.5 ? "Re: " : "") substr(sentence(), 1, 50))
        out("Date: " date)
        out("Message-ID: <" msg "." int(rand() * 1000000) "@" dom ">")
        if (rand() < 0.5) {
          out("MIME-Version: 1.0")
          out("Content-Type: text/plain; charset=us-ascii")
          out("Content-Transfer-Encoding: 7bit")
        }
        out("")
        if (rand() < 0.4) { out("On " date ", " pick(N, nn) " wrote:"); paragraph("> ") }
        for (p = 1 + int(rand() * 4); p > 0; p--) paragraph("")
        if (rand() < 0.5) { out("-- "); out(who " <" tolower(who) "@" dom ">"); out("") }
      }
    }' > spool.txt || return
  {
    printf 'From trent@example.org Mon Dec  7 12:00:00 2026\nFrom: Trent <trent@example.org>\n'
    printf 'Subject: the small file\n\nHere it is.\n\n'
    uuencode small.bin small.bin
    printf '\n'
  } >> spool.txt
}

# --- timing --------------------------------------------------------------

# launch STDOUT CMD...: runs CMD with its standard output in STDOUT and its
# standard error in cmd.err. Run 0 is an untimed warm-up under /usr/bin/time,
# for the peak resident set (rss_kib); the later runs are timed with the
# shell's microsecond clock alone (elapsed_us), because the wrapper's own
# start-up costs up to tens of milliseconds on a busy machine.
launch() {
  local out=$1 t0 t1
  shift
  if ((run == 0)); then
    /usr/bin/time -f %M -o rss.txt "$@" > "$out" 2> cmd.err || return 1
    rss_kib=$(tail -n 1 rss.txt)
  else
    t0=$EPOCHREALTIME
    "$@" > "$out" 2> cmd.err || return 1
    t1=$EPOCHREALTIME
    elapsed_us=$((10#${t1/./} - 10#${t0/./}))
  fi
}

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END {
  print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

fail() {  # ROW MESSAGE [LOG]: names the row, shows the log and exits 1
  echo "bench: FAILED in row '$1': $2" >&2
  if [ -s "${3:-}" ]; then sed 's/^/  | /' "$3" >&2; fi
  exit 1
}

fresh_out() { rm -rf out payload.bin.data && mkdir out; }

cpu=$(sed -n 's/^model name[[:space:]]*: *//p' /proc/cpuinfo | head -n 1)
echo "# $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) CPUs (nproc), ${cpu:-$(uname -m)}"
echo "# payload: ${size_mib} MiB of random bytes; per row a warm-up pair, then ${runs} interleaved timed pairs"
echo "# MB/s = payload bytes (scan: spool bytes; quoted-printable: its encoded bytes) / median wall seconds, MB = 10^6 bytes"
echo "# ratio = ours / peer median wall time (lower is better); RSS = peak resident set of the warm-up, MiB"
echo "# cat = cat INPUT > out/FILE (scan: cat FILE > /dev/null), same runs; × cat = ours / cat median wall time"
printf '%-24s | %-18s | %9s | %9s | %5s | %8s | %8s | %8s | %5s\n' \
  job peer "ours MB/s" "peer MB/s" ratio "ours RSS" "peer RSS" "cat MB/s" "× cat"
printf '%s\n' "-------------------------|--------------------|-----------|-----------|-------|----------|----------|----------|------"

# row NAME PEER BYTES: runs the arrays ours and peer in turn, a warm-up pair
# and then RUNS timed pairs, their standard output going to ours_out and
# peer_out; after each run it checks the result with check_ours or check_peer
# (which may look at $run). BYTES is what the MB/s figures are computed from.
# After each timed pair, `cat cat_in > cat_out` runs and is checked too.
row() {
  local name=$1 peer_name=$2 bytes=$3 run ot=() pt=() ct=() om pm
  rows_run=$((rows_run + 1))
  for ((run = 0; run <= runs; run++)); do
    if ((run == 0)); then log "$name: warm-up, peak memory"; else log "$name: run $run of $runs"; fi
    fresh_out
    launch "$ours_out" "${ours[@]}" || fail "$name" "our command failed: ${ours[*]}" cmd.err
    if ((run == 0)); then om=$rss_kib; else ot+=("$elapsed_us"); fi
    check_ours 2> check.err || fail "$name" "our output is wrong (run $run)" check.err
    fresh_out
    launch "$peer_out" "${peer[@]}" || fail "$name" "the peer failed: ${peer[*]}" cmd.err
    if ((run == 0)); then pm=$rss_kib; else pt+=("$elapsed_us"); fi
    check_peer 2> check.err || fail "$name" "the peer's output is wrong (run $run)" check.err
    ((run > 0)) || continue
    fresh_out
    launch "$cat_out" cat "$cat_in" || fail "$name" "cat failed: cat $cat_in" cmd.err
    ct+=("$elapsed_us")
    check_cat 2> check.err || fail "$name" "cat's output is wrong (run $run)" check.err
  done
  fresh_out
  awk -v n="$name" -v p="$peer_name" -v b="$bytes" -v om="$om" -v pm="$pm" \
    -v ot="$(median "${ot[@]}")" -v pt="$(median "${pt[@]}")" -v ct="$(median "${ct[@]}")" 'BEGIN {
      printf "%-24s | %-18s | %9.1f | %9.1f | %5.2f | %8.1f | %8.1f | %8.1f | %5.2f\n",
             n, p, b / ot, b / pt, ot / pt, om / 1024, pm / 1024, b / ct, ot / ct }'
}

# cat_for INPUT: cat copies INPUT into the output folder, as a decode or
# encode job of that file must at least read it and write about as much.
cat_for() {
  cat_in=$1 cat_out=out/cat.copy
  check_cat() { same out/cat.copy "$cat_in"; }
}

rows_run=0
wanted() { [ -z "$rows_regex" ] || [[ $1 =~ $rows_regex ]]; }

same() { cmp -s "$1" "$2"; }

# XX uses the UU line layout with another alphabet: rewrite our XX file as
# UU so that uudecode can check it independently of our decoder.
xx_as_uu() {
  echo "begin 644 xx.bin"
  tr -d '\r' < "$1" | sed '1d;$d' | tr '+0-9A-Za-z-' '`"-_!'
  echo end
}

# btoa is Ascii85 in lines ('z' for four zero bytes, 'y' for four spaces),
# padded to whole groups, with the length in the trailer. Python decodes it
# independently of our decoder, a megabyte at a time, cutting at group
# boundaries and holding back the last line (it carries the padding). Slow,
# so only after the warm-up run.
btoa_by_python() {
  python3 - "$1" payload.bin <<'EOF'
import base64, sys
src, ref = open(sys.argv[1], 'rb'), open(sys.argv[2], 'rb')
if not src.readline().startswith(b'xbtoa Begin'):
    sys.exit('no xbtoa Begin line')
carry, pending, size, done, n = b'', [], 0, 0, None

def compare(text, limit=None):
    global done
    data = base64.a85decode(text, foldspaces=True)[:limit]
    if ref.read(len(data)) != data:
        sys.exit('differs near byte %d' % done)
    done += len(data)

for raw in src:
    line = raw.rstrip(b'\r\n')
    if line.startswith(b'xbtoa End'):
        n = int(line.split()[3])
        break
    pending.append(line)
    size += len(line)
    if size > 1 << 20:
        text = carry + b''.join(pending[:-1])
        pending, size = pending[-1:], len(pending[-1])
        cut = len(text) - (len(text) - text.count(b'z') - text.count(b'y')) % 5
        carry = text[cut:]
        compare(text[:cut])
if n is None:
    sys.exit('no xbtoa End line')
compare(carry + b''.join(pending), max(n - done, 0))
if done != n or ref.read(1):
    sys.exit('length differs')
EOF
}

# Decodes our encoded file back with our decoder.
round_trip() {
  "$twick" decode --overwrite --output-dir out/back "$1" >/dev/null && same out/back/payload.bin payload.bin
}

# --- decoding --------------------------------------------------------------

job="decode Base64 (MIME)"
if wanted "$job"; then
  need_mime || fail "$job" "could not make its input"
  ours=("$twick" decode --overwrite --output-dir out mime.txt) ours_out=ours.log
  peer=(base64 -d plain.b64) peer_out=out/peer.bin
  check_ours() { same out/payload.bin payload.bin; }
  check_peer() { same out/peer.bin payload.bin; }
  cat_for mime.txt
  row "$job" "base64 -d" "$payload_bytes"
fi

job="decode UU"
if wanted "$job"; then
  need_uue || fail "$job" "could not make its input"
  ours=("$twick" decode --overwrite --output-dir out payload.uue) ours_out=ours.log
  peer=(uudecode -o out/peer.bin payload.uue) peer_out=/dev/null
  check_ours() { same out/payload.bin payload.bin; }
  check_peer() { same out/peer.bin payload.bin; }
  cat_for payload.uue
  row "$job" "uudecode" "$payload_bytes"
fi

job="decode XX"
if wanted "$job"; then
  { need_uue && need_ours xx xxe; } || fail "$job" "could not make its input"
  ours=("$twick" decode --overwrite --output-dir out payload.xxe) ours_out=ours.log
  peer=(uudecode -o out/peer.bin payload.uue) peer_out=/dev/null
  check_ours() { same out/payload.bin payload.bin; }
  check_peer() { same out/peer.bin payload.bin; }
  cat_for payload.xxe
  row "$job" "uudecode (UU)" "$payload_bytes"
fi

job="decode BinHex 4.0"
if wanted "$job"; then
  need_hqx || fail "$job" "could not make its input"
  ours=("$twick" decode --overwrite --output-dir out payload.hqx) ours_out=ours.log
  peer=(hexbin -d payload.hqx) peer_out=/dev/null
  check_ours() { same out/payload.bin payload.bin; }
  check_peer() { same payload.bin.data payload.bin; }
  cat_for payload.hqx
  row "$job" "hexbin -d" "$payload_bytes"
fi

job="decode yEnc"
if wanted "$job"; then
  need_yenc || fail "$job" "could not make its input"
  ours=("$twick" decode --overwrite --output-dir out payload.yenc) ours_out=ours.log
  peer=(uudeview -i -o -q -p out payload.yenc) peer_out=/dev/null
  check_ours() { same out/payload.bin payload.bin; }
  check_peer() { same out/payload.bin payload.bin; }
  cat_for payload.yenc
  row "$job" "uudeview" "$payload_bytes"
  sabyenc_speed || fail "$job" "sabyenc3 did not decode the posting"
fi

job="decode btoa"
if wanted "$job"; then
  { need_b64 && need_ours btoa b2a; } || fail "$job" "could not make its input"
  ours=("$twick" decode --overwrite --output-dir out payload.b2a) ours_out=ours.log
  peer=(base64 -d plain.b64) peer_out=out/peer.bin
  check_ours() { same out/payload.bin payload.bin; }
  check_peer() { same out/peer.bin payload.bin; }
  cat_for payload.b2a
  row "$job" "base64 -d" "$payload_bytes"
fi

# A text attachment: the plain-text spool sent as quoted-printable (Python's
# binascii.b2a_qp), in one mail; the peer decodes the same body in memory
# with binascii.a2b_qp. MB/s counts the quoted-printable bytes.
need_qp() {
  [ -e qp.txt ] && return
  need_spool || return
  python3 -c 'import binascii, sys
open(sys.argv[2], "wb").write(binascii.b2a_qp(open(sys.argv[1], "rb").read()))' spool.txt qp.body ||
    return
  {
    printf 'From: bench@example.org\nSubject: text\nMIME-Version: 1.0\n'
    printf 'Content-Type: multipart/mixed; boundary="bench-qp"\n\n--bench-qp\n'
    printf 'Content-Type: text/plain; name="spool.txt"\n'
    printf 'Content-Transfer-Encoding: quoted-printable\n\n'
    cat qp.body
    # the line end before the delimiter belongs to it
    printf '\n--bench-qp--\n'
  } > qp.txt
}

job="decode quoted-printable"
if wanted "$job"; then
  need_qp || fail "$job" "could not make its input"
  ours=("$twick" decode --overwrite --output-dir out qp.txt) ours_out=ours.log
  peer=(python3 -c 'import binascii, sys
sys.stdout.buffer.write(binascii.a2b_qp(open(sys.argv[1], "rb").read()))' qp.body)
  peer_out=out/peer.txt
  check_ours() { same out/spool.txt spool.txt; }
  check_peer() { same out/peer.txt spool.txt; }
  cat_for qp.txt
  row "$job" "python3 a2b_qp" "$(stat -c %s qp.body)"
fi

job="scan spool (text)"
if wanted "$job"; then
  need_spool || fail "$job" "could not make its input"
  ours=("$twick" decode --overwrite --output-dir out spool.txt) ours_out=ours.log
  peer=(grep -c '^begin ' spool.txt) peer_out=peer.log
  # exactly one section found, and it decodes right
  check_ours() { [ "$(wc -l < ours.log)" -eq 1 ] && same out/small.bin small.bin; }
  check_peer() { [ "$(cat peer.log)" = 1 ]; }
  cat_in=spool.txt cat_out=/dev/null
  check_cat() { :; }
  row "$job" "grep -c '^begin '" "$(stat -c %s spool.txt)"
fi

# --- encoding --------------------------------------------------------------

job="encode Base64 (MIME)"
if wanted "$job"; then
  ours=("$twick" encode --format base64 --overwrite --output-dir out payload.bin) ours_out=ours.log
  peer=(base64 payload.bin) peer_out=out/peer.b64
  check_ours() {
    round_trip out/payload.mme &&
      tr -d '\r' < out/payload.mme | sed '1,/^$/d' | base64 -d | cmp -s - payload.bin
  }
  check_peer() { base64 -d out/peer.b64 | cmp -s - payload.bin; }
  cat_for payload.bin
  row "$job" "base64" "$payload_bytes"
fi

job="encode UU"
if wanted "$job"; then
  ours=("$twick" encode --format uu --overwrite --output-dir out payload.bin) ours_out=ours.log
  peer=(uuencode payload.bin payload.bin) peer_out=out/peer.uue
  check_ours() {
    round_trip out/payload.uue && uudecode -o out/check.bin out/payload.uue && same out/check.bin payload.bin
  }
  check_peer() { uudecode -o out/check.bin out/peer.uue && same out/check.bin payload.bin; }
  cat_for payload.bin
  row "$job" "uuencode" "$payload_bytes"
fi

job="encode XX"
if wanted "$job"; then
  ours=("$twick" encode --format xx --overwrite --output-dir out payload.bin) ours_out=ours.log
  peer=(uuencode payload.bin payload.bin) peer_out=out/peer.uue
  check_ours() {
    round_trip out/payload.xxe && xx_as_uu out/payload.xxe | uudecode -o out/check.bin &&
      same out/check.bin payload.bin
  }
  check_peer() { uudecode -o out/check.bin out/peer.uue && same out/check.bin payload.bin; }
  cat_for payload.bin
  row "$job" "uuencode" "$payload_bytes"
fi

job="encode btoa"
if wanted "$job"; then
  ours=("$twick" encode --format btoa --overwrite --output-dir out payload.bin) ours_out=ours.log
  peer=(base64 payload.bin) peer_out=out/peer.b64
  check_ours() { round_trip out/payload.b2a && { ((run > 0)) || btoa_by_python out/payload.b2a; }; }
  check_peer() { base64 -d out/peer.b64 | cmp -s - payload.bin; }
  cat_for payload.bin
  row "$job" "base64" "$payload_bytes"
fi

if ((rows_run == 0)); then
  echo "bench: no row matches --rows '$rows_regex'" >&2
  exit 1
fi
