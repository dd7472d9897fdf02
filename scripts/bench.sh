#!/usr/bin/env bash
# Benchmarks, each beside a baseline measured in the same run. Figures are medians of repeated
# runs; this machine is noisy, so compare the ratios.
#   scripts/bench.sh                 every section
#   scripts/bench.sh SECTION...      only those: chain check warm cold store-cost concurrent lists
#                                    list-cli bulk bulk-warm bulk-cold suggestions extract export window
#                                    validation-window mailbox service service-hostile online
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD_DIR="${BUILD_DIR:-build-bench}"
# File by file (no unity batches): the measured code is compiled as in every earlier run, whichever
# files happen to share a batch.
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DQUORVEL_UNITY=OFF >/dev/null
OUT="${BENCH_OUT:-bench-out}"
mkdir -p "$OUT"
N="${BENCH_N:-1000000}"
REPS="${BENCH_REPS:-5}"
BULK_LINES="${BENCH_BULK_LINES:-10000000}"
SYNTAX='^[a-zA-Z0-9_.+-]+@[a-zA-Z0-9-]+\.[a-zA-Z0-9.-]*[a-zA-Z0-9]+$'

median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# mediana_segundos REPS OUT CMD...: runs CMD REPS times with its output in OUT (not /dev/null:
# grep stops at the first match when its output is discarded) and prints the median time.
mediana_segundos() {
  local reps=$1 saida=$2 s e
  shift 2
  local tempos=()
  for _ in $(seq "$reps"); do
    s=$(date +%s.%N)
    "$@" >"$saida" || true
    e=$(date +%s.%N)
    tempos+=("$(echo "$e - $s" | bc -l)")
  done
  printf '%s\n' "${tempos[@]}" | median
}


# The baselines some sections compare with, measured once per run.
grep_rate=""
baseline_grep() {
  [ -n "$grep_rate" ] && return
  [ -f "$OUT/addresses.txt" ] || "$BUILD_DIR/bench/quorvel-bench" --n "$N" --reps 1 \
    --out-addresses "$OUT/addresses.txt" >/dev/null
  # grep -cE with the syntax expression over the same addresses (the hyphen moved to the end of
  # its bracket, which POSIX needs; the set of characters is the same).
  local grep_s
  grep_s=$(mediana_segundos "$REPS" "$OUT/grep-count.txt" env LC_ALL=C grep -cE "$SYNTAX" "$OUT/addresses.txt")
  grep_rate=$(echo "$N / $grep_s" | bc -l)
  printf 'baseline_grep_cE_addresses_per_s %.0f addr/s\n' "$grep_rate"
}
bg_rate=""
baseline_bulk_grep() {
  [ -n "$bg_rate" ] && return
  [ -f "$OUT/bulk.txt" ] || "$BUILD_DIR/bench/quorvel-bench-bulk" gen "$OUT/bulk.txt" --lines "$BULK_LINES"
  # The file's lines end in CR LF: the expression takes the CR before its end anchor.
  local SYNTAX_CRLF="${SYNTAX%\$}"$'\r''?$' bg_s
  bg_s=$(mediana_segundos 3 "$OUT/bulk-grep-count.txt" env LC_ALL=C grep -cE "$SYNTAX_CRLF" "$OUT/bulk.txt")
  bg_rate=$(echo "$BULK_LINES / $bg_s" | bc -l)
  printf 'baseline_grep_cE_bulk_lines_per_s %.0f lines/s\n' "$bg_rate"
}

section_chain() {
echo "== validation chain: $N generated addresses, 100 rules, 20,000 traps, 5,000 rare names, 250 countries"
/usr/bin/time -f "bench_process_peak_rss %M KB" "$BUILD_DIR/bench/quorvel-bench" --n "$N" --reps "$REPS" \
  --out-addresses "$OUT/addresses.txt" 2>&1 | tee "$OUT/validation.txt"

baseline_grep
v_rate=$(awk '/^validarEmail_addresses_per_s/ {print $2}' "$OUT/validation.txt")
g_rate=$(awk '/^grid_run_rows_per_s/ {print $2}' "$OUT/validation.txt")
printf 'ratio_validarEmail_vs_grep %.2f\n' "$(echo "$v_rate / $grep_rate" | bc -l)"
printf 'ratio_grid_run_vs_grep %.2f\n' "$(echo "$g_rate / $grep_rate" | bc -l)"
t1=$(awk '/^validarEmail_ns_per_address_traps_1000 / {print $2}' "$OUT/validation.txt")
t2=$(awk '/^validarEmail_ns_per_address_traps_100000 / {print $2}' "$OUT/validation.txt")
printf 'ratio_cost_traps_100000_vs_1000 %.2f\n' "$(echo "$t2 / $t1" | bc -l)"
}

section_check() {
local cli="$BUILD_DIR/src/quorvel-cli" home="$OUT/check-home" vazio="$OUT/check-home-vazio"
local reps="${BENCH_CHECK_REPS:-3}" t tm one sem ok
echo "== quorvel-cli check over $N generated addresses (those of the chain section), one a line, in a"
echo "   workspace with 20,000 trap rules, 100 custom rules, 5,000 rare names and 250 countries; the"
echo "   MX test and the negative base off. Baselines, same run: grep -cE with the syntax expression"
echo "   over the same file, and the same check in a workspace without filter files"
rm -rf "$home" "$vazio"
mkdir -p "$vazio/dados/config"
"$BUILD_DIR/bench/quorvel-bench" --n "$N" --out-addresses "$OUT/addresses.txt" \
  --out-workspace "$home" >/dev/null
baseline_grep
head -n 1 "$OUT/addresses.txt" >"$OUT/check-one.txt"
local sem_mx=(--disable testemx,emailsinvalidos)
read -r t tm < <(mediana_tempo_memoria "$reps" "$OUT/check-out.txt" env QUORVEL_DNS_SERVER=127.0.0.1:9 \
  "$cli" check --home "$home" "${sem_mx[@]}" --file "$OUT/addresses.txt")
one=$(mediana_segundos "$reps" "$OUT/check-one-out.txt" env QUORVEL_DNS_SERVER=127.0.0.1:9 \
  "$cli" check --home "$home" "${sem_mx[@]}" --file "$OUT/check-one.txt")
sem=$(mediana_segundos "$reps" "$OUT/check-out-vazio.txt" env QUORVEL_DNS_SERVER=127.0.0.1:9 \
  "$cli" check --home "$vazio" "${sem_mx[@]}" --file "$OUT/addresses.txt")
# Processor seconds (user + system) of one run each: on a machine shared with other work the
# wall time includes waiting for a processor.
cpu_de() {
  /usr/bin/time -f "%U %S" -o "$OUT/check-cpu.txt" env QUORVEL_DNS_SERVER=127.0.0.1:9 "$cli" check \
    --home "$home" "${sem_mx[@]}" --file "$1" >/dev/null
  awk '{print $1 + $2}' "$OUT/check-cpu.txt"
}
local cpu cpu_one
cpu=$(for _ in $(seq "$reps"); do cpu_de "$OUT/addresses.txt"; done | median)
cpu_one=$(for _ in $(seq "$reps"); do cpu_de "$OUT/check-one.txt"; done | median)
ok=$(awk -F'\t' '$2 != ""' "$OUT/check-out.txt" | wc -l)
printf 'check_seconds %.2f s, peak %d MB (median of %s; %s lines, %s valid, %s caught by a trap)\n' \
  "$t" "$((tm / 1024))" "$reps" "$(wc -l <"$OUT/check-out.txt")" "$ok" \
  "$(grep -c $'\tArmadilha$' "$OUT/check-out.txt" || true)"
printf 'check_start_one_line_seconds %.3f s\n' "$one"
printf 'check_addresses_per_s %.0f addr/s (whole process)\n' "$(echo "$N / $t" | bc -l)"
printf 'check_steady_addresses_per_s %.0f addr/s (minus the start; target >= 1000000)\n' \
  "$(echo "$N / ($t - $one)" | bc -l)"
printf 'check_cpu_seconds %.2f s, start %.2f s (medians of %s)\n' "$cpu" "$cpu_one" "$reps"
printf 'check_steady_addresses_per_cpu_second %.0f addr/s\n' "$(echo "$N / ($cpu - $cpu_one)" | bc -l)"
printf 'baseline_check_without_filters_addresses_per_s %.0f addr/s\n' "$(echo "$N / $sem" | bc -l)"
printf 'ratio_check_vs_without_filters %.2f\n' "$(echo "$sem / $t" | bc -l)"
printf 'ratio_check_vs_grep %.2f\n' "$(echo "$N / $t / $grep_rate" | bc -l)"
printf 'load_average %s (cores: %s)\n' "$(cut -d' ' -f1-3 /proc/loadavg)" "$(nproc)"
}

section_warm() {
echo "== whole chain, all nine stages: warm MX cache of 50,000 domains, negative base of 1,000,000 rows"
"$BUILD_DIR/bench/quorvel-bench-store" warm --n "$N" --reps 3 | tee "$OUT/warm.txt"
w_rate=$(awk '/^warm_chain_addresses_per_s/ {print $2}' "$OUT/warm.txt")
baseline_grep
printf 'ratio_warm_chain_vs_grep %.3f\n' "$(echo "$w_rate / $grep_rate" | bc -l)"
}

section_cold() {
echo "== cold MX run: 2,000 distinct uncached domains, resolver on loopback answering after 50 ms"
echo "   (baseline: the same run asking one domain at a time)"
"$BUILD_DIR/bench/quorvel-bench-store" cold --dns-script tools/dns_atrasado.py --domains 2000 \
  --delay 50 | tee "$OUT/cold.txt"
}

section_store_cost() {
echo "== storing the answers: 300,000 lines over 1,200 new domains answered at once, the workspace"
echo "   on disk (/var/tmp) and on tmpfs (/dev/shm); median of 3"
"$BUILD_DIR/bench/quorvel-bench-store" store-cost --dns-script tools/dns_atrasado.py --domains 1200 \
  --lines 300000 --reps 3 --disk /var/tmp --tmpfs /dev/shm | tee "$OUT/store-cost.txt"
}

section_concurrent() {
echo "== two check runs at once over one workspace: 200,000 addresses over 1,000 new domains each"
echo "   (resolver on loopback answering at once); baseline: one run alone"
local porta=$((20000 + RANDOM % 20000)) dns i
/usr/bin/python3 tools/dns_atrasado.py "$porta" 0 >/dev/null &
dns=$!
sleep 1
for i in $(seq 0 199999); do echo "u$i@nx$((i % 1000)).bench"; done >"$OUT/conc-a.txt"
sed 's/\.bench$/.bench2/; s/^u/v/' "$OUT/conc-a.txt" >"$OUT/conc-b.txt"
local ws
for ws in sozinho juntos; do rm -rf "$OUT/ws-$ws"; mkdir -p "$OUT/ws-$ws/dados/config"; done
local cli="$BUILD_DIR/src/quorvel-cli" s e sozinho a b
s=$(date +%s.%N)
QUORVEL_DNS_SERVER=127.0.0.1:$porta "$cli" check --home "$OUT/ws-sozinho" --file "$OUT/conc-a.txt" >"$OUT/conc-out-0.txt"
e=$(date +%s.%N)
sozinho=$(echo "$e - $s" | bc -l)
s=$(date +%s.%N)
( QUORVEL_DNS_SERVER=127.0.0.1:$porta "$cli" check --home "$OUT/ws-juntos" --file "$OUT/conc-a.txt" >"$OUT/conc-out-1.txt"; date +%s.%N >"$OUT/conc-end-1" ) &
a=$!
( QUORVEL_DNS_SERVER=127.0.0.1:$porta "$cli" check --home "$OUT/ws-juntos" --file "$OUT/conc-b.txt" >"$OUT/conc-out-2.txt"; date +%s.%N >"$OUT/conc-end-2" ) &
b=$!
wait $a $b
kill $dns
local t1 t2
t1=$(echo "$(cat "$OUT/conc-end-1") - $s" | bc -l)
t2=$(echo "$(cat "$OUT/conc-end-2") - $s" | bc -l)
printf 'concurrent_alone_seconds %.2f s\n' "$sozinho"
printf 'concurrent_two_runs_seconds %.2f s and %.2f s\n' "$t1" "$t2"
printf 'ratio_concurrent_vs_alone %.2f (the slower of the two; cores: %s)\n' \
  "$(awk -v a="$t1" -v b="$t2" -v s="$sozinho" 'BEGIN {print (a > b ? a : b) / s}')" "$(nproc)"
printf 'concurrent_same_results %s\n' "$(cmp -s "$OUT/conc-out-0.txt" "$OUT/conc-out-1.txt" && echo yes || echo NO)"
}

section_lists() {
echo "== list editor: generated 1,000,000-row, 5-column CSV; exclusion file of 200,000 lines"
"$BUILD_DIR/bench/quorvel-bench-lists" gen "$OUT/lista.csv" "$OUT/exclusao.txt"
"$BUILD_DIR/bench/quorvel-bench-lists" run "$OUT/lista.csv" "$OUT/exclusao.txt" | tee "$OUT/lists.txt"
# Baseline: sort -f + uniq over the same file (sorting and removing repeated lines).
s=$(date +%s.%N)
/usr/bin/time -f "baseline_sort_uniq_peak_rss %M KB" sh -c \
  "LC_ALL=C sort -f '$OUT/lista.csv' | LC_ALL=C uniq -i > '$OUT/sort-uniq.txt'" 2>&1
e=$(date +%s.%N)
su=$(echo "$e - $s" | bc -l)
printf 'baseline_sort_f_uniq_seconds %.2f s\n' "$su"
ld=$(awk '/^load_seconds/ {print $2}' "$OUT/lists.txt")
so=$(awk '/^sort_seconds/ {print $2}' "$OUT/lists.txt")
dd=$(awk '/^dedupe_seconds/ {print $2}' "$OUT/lists.txt")
printf 'ratio_sort_vs_sort_f_uniq %.2f\n' "$(echo "$so / $su" | bc -l)"
printf 'ratio_dedupe_vs_sort_f_uniq %.2f\n' "$(echo "$dd / $su" | bc -l)"
printf 'ratio_load_vs_sort_f_uniq %.2f\n' "$(echo "$ld / $su" | bc -l)"
}

# tempo_e_memoria OUT CMD...: runs CMD once with its output in OUT; prints "seconds peak_KB".
tempo_e_memoria() {
  local saida=$1
  shift
  /usr/bin/time -f "%e %M" -o "$OUT/time.txt" "$@" >"$saida" 2>/dev/null || true
  cat "$OUT/time.txt"
}
# mediana_tempo_memoria REPS OUT CMD...: the median seconds and the median peak memory (KB).
mediana_tempo_memoria() {
  local reps=$1 saida=$2 t m
  shift 2
  local tempos=() memorias=()
  for _ in $(seq "$reps"); do
    read -r t m < <(tempo_e_memoria "$saida" "$@")
    tempos+=("$t")
    memorias+=("$m")
  done
  echo "$(printf '%s\n' "${tempos[@]}" | median) $(printf '%s\n' "${memorias[@]}" | median)"
}

section_list_cli() {
echo "== list commands through the CLI on the generated 1,000,000-row, 5-column CSV (address in"
echo "   column 2); baseline: LC_ALL=C sort -t, -k2,2 -u on the same file, same run"
[ -f "$OUT/lista.csv" ] || "$BUILD_DIR/bench/quorvel-bench-lists" gen "$OUT/lista.csv" "$OUT/exclusao.txt"
local cli="$BUILD_DIR/src/quorvel-cli" home="$OUT/list-home" reps="${BENCH_LIST_REPS:-3}"
mkdir -p "$home"
local st sm dt dm et em
read -r st sm < <(mediana_tempo_memoria "$reps" "$OUT/sort-u.csv" env LC_ALL=C sort -t, -k2,2 -u "$OUT/lista.csv")
printf 'baseline_sort_k2_u_seconds %.2f s, peak %d MB\n' "$st" "$((sm / 1024))"
read -r dt dm < <(mediana_tempo_memoria "$reps" /dev/null "$cli" list dedupe --column 2 --home "$home" \
  "$OUT/lista.csv" "$OUT/dedupe-out.csv")
printf 'cli_dedupe_seconds %.2f s, peak %d MB (%s rows written)\n' "$dt" "$((dm / 1024))" \
  "$(($(wc -l <"$OUT/dedupe-out.csv") - 1))"
read -r et em < <(mediana_tempo_memoria "$reps" /dev/null "$cli" list exclude --column 2 --home "$home" \
  --with "$OUT/exclusao.txt" "$OUT/lista.csv" "$OUT/exclude-out.csv")
printf 'cli_exclude_seconds %.2f s, peak %d MB\n' "$et" "$((em / 1024))"
printf 'ratio_dedupe_vs_sort_u %.2f time, %.2f memory (target <= 2 and <= 1.5)\n' \
  "$(echo "$dt / $st" | bc -l)" "$(echo "$dm / $sm" | bc -l)"
printf 'ratio_exclude_vs_sort_u %.2f time, %.2f memory (target <= 2 and <= 1.5)\n' \
  "$(echo "$et / $st" | bc -l)" "$(echo "$em / $sm" | bc -l)"
# Load + save alone: the editor benchmark's figures beside the same baseline.
"$BUILD_DIR/bench/quorvel-bench-lists" run "$OUT/lista.csv" "$OUT/exclusao.txt" >"$OUT/lists-cli.txt"
local ld sv
ld=$(awk '/^load_seconds/ {print $2}' "$OUT/lists-cli.txt")
sv=$(awk '/^save_seconds/ {print $2}' "$OUT/lists-cli.txt")
printf 'load_plus_save_seconds %.2f s (load %.2f, save %.2f)\n' "$(echo "$ld + $sv" | bc -l)" "$ld" "$sv"
printf 'ratio_load_save_vs_sort_u %.2f (target <= 2)\n' "$(echo "($ld + $sv) / $st" | bc -l)"
}

section_bulk() {
echo "== bulk validation: generated file of $BULK_LINES lines (some with \";\" fields, quotes, tabs; 5% repeated)"
[ -f "$OUT/bulk.txt" ] || "$BUILD_DIR/bench/quorvel-bench-bulk" gen "$OUT/bulk.txt" --lines "$BULK_LINES"
"$BUILD_DIR/bench/quorvel-bench-bulk" run "$OUT/bulk.txt" --reps 3 | tee "$OUT/bulk.txt.out"
baseline_bulk_grep
b_rate=$(awk '/^bulk_lines_per_s/ {print $2}' "$OUT/bulk.txt.out")
printf 'ratio_bulk_vs_grep %.2f\n' "$(echo "$b_rate / $bg_rate" | bc -l)"
}

section_bulk_warm() {
[ -f "$OUT/bulk.txt" ] || "$BUILD_DIR/bench/quorvel-bench-bulk" gen "$OUT/bulk.txt" --lines "$BULK_LINES"
echo "== bulk validation with MX and negative base: warm cache of every domain of the file (50,030),"
echo "   negative base of 1,000,000 rows"
"$BUILD_DIR/bench/quorvel-bench-bulk" warm "$OUT/bulk.txt" --reps 3 | tee "$OUT/bulk-warm.txt"
wb_rate=$(awk '/^warm_bulk_lines_per_s/ {print $2}' "$OUT/bulk-warm.txt")
baseline_bulk_grep
printf 'ratio_warm_bulk_vs_grep %.2f\n' "$(echo "$wb_rate / $bg_rate" | bc -l)"
}

section_bulk_cold() {
echo "== bulk validation with cold MX: 400 uncached domains, 100 lines each, resolver on loopback"
echo "   answering after 50 ms (baseline: the same run asking one domain at a time)"
"$BUILD_DIR/bench/quorvel-bench-bulk" cold "$OUT/frio" --dns-script tools/dns_atrasado.py \
  --domains 400 --delay 50 | tee "$OUT/bulk-cold.txt"
}

section_suggestions() {
cmake --build "$BUILD_DIR" -j2 --target quorvel-bench-suggestions >/dev/null
local provedores=packaging/definicoes/sys_provedores.filter reps="${BENCH_SUGGEST_REPS:-7}"
echo "== suggestions for mistyped addresses: 10,000 generated slips of the shipped providers' domains"
echo "   (seed 25) mixed with addresses at real look-alike domains, through the single-address chain"
echo "   with every stage on, a real store and the MX answers of a dnsmasq on loopback"
"$BUILD_DIR/bench/quorvel-bench-suggestions" "$provedores" --slips 10000 --seed 25 | \
  tee "$OUT/suggestions.txt"
[ -f "$OUT/bulk.txt" ] || "$BUILD_DIR/bench/quorvel-bench-bulk" gen "$OUT/bulk.txt" --lines "$BULK_LINES"
echo "== the warm bulk run ($BULK_LINES lines, every stage, every domain cached) with the suggestions"
echo "   off (baseline) and on, in turns, same run; medians of $reps"
"$BUILD_DIR/bench/quorvel-bench-bulk" suggest "$OUT/bulk.txt" --reps "$reps" \
  --providers "$provedores" | tee "$OUT/suggestions-bulk.txt"
echo "-- the same with one company domain in ten cached as without a mail server (their lines go"
echo "   through the suggestions too)"
"$BUILD_DIR/bench/quorvel-bench-bulk" suggest "$OUT/bulk.txt" --reps "$reps" \
  --providers "$provedores" --without-mx-every 10 | tee "$OUT/suggestions-bulk-mx.txt"
printf 'load_average %s (cores: %s)\n' "$(cut -d' ' -f1-3 /proc/loadavg)" "$(nproc)"
}

section_extract() {
echo "== extraction: generated 200 MB text with an address about every 300 bytes"
"$BUILD_DIR/bench/quorvel-bench-bulk" gen-text "$OUT/texto.txt" --mb 200
"$BUILD_DIR/bench/quorvel-bench-bulk" extract "$OUT/texto.txt" --reps 3 | tee "$OUT/extract.txt"
mb=$(awk '/^extract_text_mb/ {print $2}' "$OUT/extract.txt")
EMAIL_RE='[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+\.[A-Za-z]{2,}'
cli_s=$(mediana_segundos 3 "$OUT/extract-cli.txt" "$BUILD_DIR/src/quorvel-cli" extract "$OUT/texto.txt")
rg_s=$(mediana_segundos 3 "$OUT/extract-rg.txt" rg -o "$EMAIL_RE" "$OUT/texto.txt")
printf 'extract_cli_file_mb_per_s %.0f MB/s (%s addresses)\n' "$(echo "$mb / $cli_s" | bc -l)" \
  "$(wc -l <"$OUT/extract-cli.txt")"
printf 'baseline_rg_o_mb_per_s %.0f MB/s (%s matches)\n' "$(echo "$mb / $rg_s" | bc -l)" \
  "$(wc -l <"$OUT/extract-rg.txt")"
printf 'ratio_extract_cli_vs_rg %.2f\n' "$(echo "$rg_s / $cli_s" | bc -l)"
}

section_export() {
local rows="${BENCH_EXPORT_ROWS:-$N}" reps="${BENCH_EXPORT_REPS:-3}" awk_s awk_rate modo
echo "== export: generated list of $rows rows x 5 columns in the export window, written as \";\""
echo "   text, HTML table and .xlsx (constant-memory mode); baseline: awk writing the same rows"
echo "   as \";\"-separated text, same run"
"$BUILD_DIR/bench/quorvel-bench-export" gen "$OUT/export-rows.tsv" --rows "$rows"
awk_s=$(mediana_segundos "$reps" "$OUT/export-awk.txt" \
  awk -F'\t' -v OFS=';' '{$1 = $1; print}' "$OUT/export-rows.tsv")
awk_rate=$(echo "$rows / $awk_s" | bc -l)
printf 'baseline_awk_rows_per_s %.0f rows/s (median of %s)\n' "$awk_rate" "$reps"
for modo in text html xlsx; do
  /usr/bin/time -f "export_${modo}_process_peak_rss %M KB" "$BUILD_DIR/bench/quorvel-bench-export" \
    "$modo" "$OUT/export" --rows "$rows" --reps "$reps" 2>&1 | tee "$OUT/export-$modo.txt"
done
# The workbook's second baseline: the same workbook packed at zlib's default level, which is
# what libxlsxwriter does on its own.
echo "-- the same workbook at zlib's default level (6)"
"$BUILD_DIR/bench/quorvel-bench-export" xlsx "$OUT/export" --rows "$rows" --reps "$reps" \
  --zip-level 6 | tee "$OUT/export-xlsx-zlib6.txt"
rm -rf "$OUT/export"
local t_rate h_rate x_rate x_mem
rate() { awk -v k="export_$1_rows_per_s" '$1 == k {print $2}' "$OUT/export-$1.txt"; }
t_rate=$(rate text)
h_rate=$(rate html)
x_rate=$(rate xlsx)
x_mem=$(awk '$1 == "export_xlsx_peak_memory_beyond_grid" {print $2}' "$OUT/export-xlsx.txt")
local x6_rate
x6_rate=$(awk '$1 == "export_xlsx_rows_per_s" {print $2}' "$OUT/export-xlsx-zlib6.txt")
printf 'ratio_export_text_vs_awk %.2f (text %.0f rows/s, target >= 500000)\n' \
  "$(echo "$t_rate / $awk_rate" | bc -l)" "$t_rate"
printf 'ratio_export_html_vs_awk %.2f (HTML %.0f rows/s, target >= 500000)\n' \
  "$(echo "$h_rate / $awk_rate" | bc -l)" "$h_rate"
printf 'ratio_export_xlsx_vs_awk %.2f (.xlsx %.0f rows/s, target >= 100000)\n' \
  "$(echo "$x_rate / $awk_rate" | bc -l)" "$x_rate"
printf 'ratio_export_xlsx_vs_zlib_default_level %.2f (default level %.0f rows/s)\n' \
  "$(echo "$x_rate / $x6_rate" | bc -l)" "$x6_rate"
printf 'export_xlsx_memory_beyond_grid %.1f MB (target < 200)\n' "$x_mem"
printf 'load_average %s (cores: %s)\n' "$(cut -d' ' -f1-3 /proc/loadavg)" "$(nproc)"
}

section_mailbox() {
cmake --build "$BUILD_DIR" -j2 --target quorvel-bench-mailbox >/dev/null

  echo "== mailbox check: ${BENCH_MAIL_N:-5000} generated messages (half bounces in five formats) in a"
  echo "   Dovecot on loopback, scanned over one connection (baseline: the same messages only"
  echo "   fetched over one connection); and the same check from the mailbox window's model with"
  echo "   its grid shown, over a negative base of 50,000 earlier addresses"
  /usr/bin/time -f "mailbox_process_peak_rss %M KB" "$BUILD_DIR/bench/quorvel-bench-mailbox" \
    --messages "${BENCH_MAIL_N:-5000}" --reps "${BENCH_MAIL_REPS:-3}" 2>&1 | tee "$OUT/mailbox.txt"
}

section_service() {
  local out="${BENCH_OUT:-bench-out}" reps="${BENCH_SERVICE_REPS:-3}" s
  mkdir -p "$out"
  cmake --build "$BUILD_DIR" -j"$(nproc)" --target quorvel-service-bench >/dev/null
  echo "== collaboration service: 50 clients x 200 batches of 250 domains, page downloads"
  for s in sqlite postgresql; do
    : >"$out/service-$s.txt"
    for _ in $(seq "$reps"); do
      "$BUILD_DIR/service/quorvel-service-bench" --storage "$s" | tee -a "$out/service-$s.txt"
    done
    for key in sync_req_per_s sync_latency_p50_ms sync_latency_p99_ms baseline_action2_req_per_s \
        ratio_sync_vs_action2; do
      awk -v k="$key" '$1 == k {print $2}' "$out/service-$s.txt" | sort -g |
        awk -v k="$key" -v s="$s" '{a[NR]=$1} END {printf "median_%s_%s %s\n", s, k, a[int((NR+1)/2)]}'
    done
  done
}

section_online() {
cmake --build "$BUILD_DIR" -j2 --target quorvel-bench-online >/dev/null
local reps="${BENCH_ONLINE_REPS:-3}" rows="${BENCH_ONLINE_STORE_ROWS:-300000}"
echo "== definitions update from quorvel-service on loopback: a forced update downloading 1,000,000"
echo "   shared domains and 1,000,000 addresses and storing them in a new store on disk (/var/tmp)"
echo "   (baseline: the same pages fetched by the same client and dropped)"
"$BUILD_DIR/bench/quorvel-bench-online" update --domains 1000000 --addresses 1000000 \
  --reps "$reps" --dir /var/tmp | tee "$OUT/online.txt"
local t d
t=$(awk '/^forced_update_seconds/ {print $2}' "$OUT/online.txt")
d=$(awk '/^baseline_download_only_seconds/ {print $2}' "$OUT/online.txt")
printf 'ratio_forced_update_vs_download_only %.2f\n' "$(echo "$t / $d" | bc -l)"
echo "-- the storing alone, $rows generated domains: transactions of 100 rows as the update makes"
echo "   them (sorted), of 100 rows in the order the rows arrive, of 10,000 rows, and one transaction"
"$BUILD_DIR/bench/quorvel-bench-online" store --rows "$rows" --reps "$reps" --dir /var/tmp | \
  tee "$OUT/online-store.txt"
}

section_service_hostile() {
  local out="${BENCH_OUT:-bench-out}" reps="${BENCH_SERVICE_REPS:-3}" flood="${BENCH_FLOOD_VALUES:-1000000}"
  mkdir -p "$out"
  cmake --build "$BUILD_DIR" -j"$(nproc)" --target quorvel-service-bench-hostile >/dev/null
  echo "== collaboration service facing hostile clients: 16 keep-alive clients asking action 2 and a"
  echo "   send of 50 domains on a fresh connection every 50 ms, alone (the baseline) and beside 2,000"
  echo "   idle + 200 slow-header connections held open from other addresses; then one key flooding"
  echo "   $flood new values (the server's memory before and after)"
  : >"$out/service-hostile.txt"
  for _ in $(seq "$reps"); do
    "$BUILD_DIR/service/quorvel-service-bench-hostile" --flood-values "$flood" | tee -a "$out/service-hostile.txt"
  done
  hcol() { awk -v k="$1" -v f="$2" '$1 == k {print $f}' "$out/service-hostile.txt" | median; }
  printf 'median_baseline_req_per_s %s\n' "$(hcol baseline_req_per_s 2)"
  printf 'median_hostile_req_per_s %s (target >= 2000)\n' "$(hcol hostile_req_per_s 2)"
  printf 'median_ratio_req_per_s_hostile_vs_baseline %s\n' "$(hcol ratio_req_per_s_hostile_vs_baseline 2)"
  printf 'median_baseline_sync_latency_ms p50 %s p99 %s max %s\n' "$(hcol baseline_sync_latency_ms 3)" \
    "$(hcol baseline_sync_latency_ms 5)" "$(hcol baseline_sync_latency_ms 7)"
  printf 'median_hostile_sync_latency_ms p50 %s p99 %s max %s (target: max < 1000)\n' \
    "$(hcol hostile_sync_latency_ms 3)" "$(hcol hostile_sync_latency_ms 5)" "$(hcol hostile_sync_latency_ms 7)"
  printf 'median_ratio_sync_p99_hostile_vs_baseline %s\n' "$(hcol ratio_sync_p99_hostile_vs_baseline 2)"
  printf 'median_flood_server_rss_growth_kb %s (stated bound: the writer page cache, 32768 kB)\n' \
    "$(hcol flood_server_rss_growth_kb 2)"
}

section_window() {
cmake --build "$BUILD_DIR" -j"$(nproc)" --target quorvel-bench-ui >/dev/null
echo
echo "== list editor window (offscreen): generated 1,000,000-row, 5-column CSV"
echo "   (baseline: the same file loaded by the core as the list commands load it, same run)"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
UI="$BUILD_DIR/tests/ui/quorvel-bench-ui"
W_REPS="${BENCH_WINDOW_REPS:-3}"
"$UI" gen "$OUT/janela.csv"
: >"$OUT/window-core.txt"
: >"$OUT/window.txt"
for _ in $(seq "$W_REPS"); do
  "$UI" core "$OUT/janela.csv" >>"$OUT/window-core.txt"
  "$UI" window "$OUT/janela.csv" 2>/dev/null >>"$OUT/window.txt"
done
col() { awk -v k="$1" '$1 == k {print $2}' "$2" | median; }
core_s=$(col core_load_seconds "$OUT/window-core.txt")
win_s=$(col window_load_seconds "$OUT/window.txt")
core_mb=$(col core_model_memory "$OUT/window-core.txt")
win_mb=$(col window_model_memory "$OUT/window.txt")
pd_s=$(col page_down_1000_seconds "$OUT/window.txt")
pj_s=$(col page_jump_top_to_bottom_1000_seconds "$OUT/window.txt")
printf 'baseline_core_load_seconds %.3f s (median of %s)\n' "$core_s" "$W_REPS"
printf 'window_load_seconds %.3f s (median of %s)\n' "$win_s" "$W_REPS"
printf 'ratio_window_load_vs_core_load %.2f (target <= 1.5)\n' "$(echo "$win_s / $core_s" | bc -l)"
printf 'page_down_1000_seconds %.3f s (target < 2)\n' "$pd_s"
printf 'page_jump_top_to_bottom_1000_seconds %.3f s (target < 2)\n' "$pj_s"
printf 'baseline_core_model_memory %.1f MB\n' "$core_mb"
printf 'window_model_memory %.1f MB\n' "$win_mb"
printf 'ratio_window_memory_vs_model %.2f (target <= 1.2)\n' "$(echo "$win_mb / $core_mb" | bc -l)"
echo "-- operations on the 1,000,000 rows in the window (sort by a column, delete repeated,"
echo "   a column replace): progress refreshes and the longest stretch without one"
"$UI" ops "$OUT/janela.csv" 2>/dev/null | tee "$OUT/window-ops.txt"
}

section_validation_window() {
cmake --build "$BUILD_DIR" -j"$(nproc)" --target quorvel-bench-validation-window >/dev/null
local rows="${BENCH_VW_ROWS:-100000}" lines="${BENCH_VW_BULK_LINES:-2000000}"
local reps="${BENCH_VW_REPS:-3}" vw="$BUILD_DIR/tests/ui/quorvel-bench-validation-window"
local cli="$BUILD_DIR/src/quorvel-cli" home="$OUT/vw-home" t one overhead
echo "== validation window (offscreen): $rows addresses over every stage, warm MX cache, negative"
echo "   base; bulk page on $lines lines (baseline: quorvel-cli check --grid and quorvel-cli bulk"
echo "   on the same workspace and files, minus the command's own start measured on one line)"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
rm -rf "$home"
[ -f "$OUT/vw-bulk-$lines.txt" ] || "$BUILD_DIR/bench/quorvel-bench-bulk" gen "$OUT/vw-bulk-$lines.txt" --lines "$lines" >/dev/null
"$vw" prep "$home" "$OUT/vw-list-$rows.txt" "$OUT/vw-bulk-$lines.txt" --rows "$rows" >/dev/null
head -n 1 "$OUT/vw-list-$rows.txt" >"$OUT/vw-one.txt"
head -n 1 "$OUT/vw-bulk-$lines.txt" >"$OUT/vw-bulk-one.txt"
mkdir -p "$OUT/vw-out"
: >"$OUT/vw-window.txt"
: >"$OUT/vw-page.txt"
for _ in $(seq "$reps"); do
  "$vw" window "$home" "$OUT/vw-list-$rows.txt" 2>/dev/null >>"$OUT/vw-window.txt"
  "$vw" page "$home" "$OUT/vw-bulk-$lines.txt" 2>/dev/null >>"$OUT/vw-page.txt"
done
"$vw" window "$home" "$OUT/vw-list-$rows.txt" --repaint-always 2>/dev/null >"$OUT/vw-window-always.txt"
col() { awk -v k="$1" '$1 == k {print $2}' "$2" | median; }
local win_s page_s always_s cli_check cli_bulk
win_s=$(col window_validation_seconds "$OUT/vw-window.txt")
page_s=$(col page_bulk_seconds "$OUT/vw-page.txt")
always_s=$(col window_validation_seconds "$OUT/vw-window-always.txt")
t=$(mediana_segundos "$reps" "$OUT/vw-cli-check.txt" env QUORVEL_DNS_SERVER=127.0.0.1:9 \
  "$cli" check --grid --home "$home" --file "$OUT/vw-list-$rows.txt")
one=$(mediana_segundos "$reps" "$OUT/vw-cli-one.txt" env QUORVEL_DNS_SERVER=127.0.0.1:9 \
  "$cli" check --grid --home "$home" --file "$OUT/vw-one.txt")
cli_check=$(echo "$t - $one" | bc -l)
t=$(mediana_segundos "$reps" "$OUT/vw-cli-bulk.txt" env QUORVEL_DNS_SERVER=127.0.0.1:9 \
  "$cli" bulk --home "$home" --output-dir "$OUT/vw-out" "$OUT/vw-bulk-$lines.txt")
overhead=$(mediana_segundos "$reps" "$OUT/vw-cli-bulk-one.txt" env QUORVEL_DNS_SERVER=127.0.0.1:9 \
  "$cli" bulk --home "$home" --output-dir "$OUT/vw-out" "$OUT/vw-bulk-one.txt")
cli_bulk=$(echo "$t - $overhead" | bc -l)
rm -rf "$OUT/vw-out"
printf 'window_validation_rows_per_s %.0f rows/s (median of %s; %s counter repaints)\n' \
  "$(echo "$rows / $win_s" | bc -l)" "$reps" "$(col window_validation_counter_repaints "$OUT/vw-window.txt")"
printf 'baseline_cli_check_grid_rows_per_s %.0f rows/s\n' "$(echo "$rows / $cli_check" | bc -l)"
printf 'ratio_window_vs_cli_check %.2f (target >= 0.9)\n' "$(echo "$cli_check / $win_s" | bc -l)"
printf 'window_repaint_every_notice_rows_per_s %.0f rows/s (ratio %.2f)\n' \
  "$(echo "$rows / $always_s" | bc -l)" "$(echo "$cli_check / $always_s" | bc -l)"
printf 'page_bulk_lines_per_s %.0f lines/s (median of %s)\n' "$(echo "$lines / $page_s" | bc -l)" "$reps"
printf 'baseline_cli_bulk_lines_per_s %.0f lines/s\n' "$(echo "$lines / $cli_bulk" | bc -l)"
printf 'ratio_page_vs_cli_bulk %.2f (target >= 0.9)\n' "$(echo "$cli_bulk / $page_s" | bc -l)"
}

ALL="chain check warm cold store-cost concurrent lists list-cli bulk bulk-warm bulk-cold suggestions extract export window validation-window mailbox service service-hostile online"
SECTIONS="${*:-$ALL}"
cmake --build "$BUILD_DIR" -j"$(nproc)" --target quorvel-bench quorvel-bench-store quorvel-bench-lists \
  quorvel-bench-bulk quorvel-bench-export quorvel-cli >/dev/null
for section in $SECTIONS; do
  case " $ALL " in
    *" $section "*) ;;
    *) echo "bench.sh: unknown section $section (sections: $ALL)" >&2; exit 2 ;;
  esac
  echo
  "section_${section//-/_}"
done
