#!/usr/bin/env bash
# The table of bad inputs, faults and kill points, run against quorvel-cli as a user would. Each
# case names its command, the exit status it must end with and a text its output must (or must
# not) hold; a case that does not end within a minute is a hang. Prints the figures and fails
# when any case gives a wrong result or hangs.
#   tests/faults/fault_table.sh PATH/TO/quorvel-cli [dnsmasq]
set -u
CLI="$1"
DNSMASQ="${2:-$(command -v dnsmasq || echo /usr/sbin/dnsmasq)}"
W=$(mktemp -d /tmp/quorvel-faults-XXXXXX)
trap 'kill $(cat "$W/dns.pid" 2>/dev/null) 2>/dev/null; rm -rf "$W"' EXIT
mkdir -p "$W/home/dados/config"

# Waits (at most a minute, polling) until the command given succeeds: the program has reached a
# state it reports (a file it made, a state it entered).
ate() {
  local i
  for ((i = 0; i < 1200; i++)); do
    if eval "$1"; then return 0; fi
    sleep 0.05
  done
  return 1
}

# A resolver on loopback with no upstream: good.test has a mail server, anything else under
# .test does not exist. Ready when its pid file appears; a port taken makes it exit.
for _ in 1 2 3 4 5; do
  PORT=$((20000 + RANDOM % 30000))
  rm -f "$W/dns.pid"
  "$DNSMASQ" --keep-in-foreground --log-facility="$W/dns.log" --conf-file=/dev/null --no-resolv \
    --no-hosts --no-poll --listen-address=127.0.0.1 --bind-interfaces --port=$PORT \
    --pid-file="$W/dns.pid" --user=root --group=root --local=/test/ \
    --mx-host=good.test,mx.good.test,10 &
  DNSPID=$!
  if ate "[ -s '$W/dns.pid' ] || ! kill -0 $DNSPID 2>/dev/null" && kill -0 $DNSPID 2>/dev/null; then
    break
  fi
done
export QUORVEL_DNS_SERVER=127.0.0.1:$PORT QUORVEL_DNS_TIMEOUT_MS=300

H="--home $W/home"
printf 'email;nome\r\nana@good.test;Ana\r\nbia@nada.test;Bia\r\n' >"$W/lista.csv"
printf 'nome;cidade\r\nAna;Recife\r\n' >"$W/sem-email.csv"
head -c 300000 /dev/urandom >"$W/binario.bin"
: >"$W/vazio.txt"
{ printf 'x@good.test,'; head -c 5000000 /dev/zero | tr '\0' 'a'; printf '\r\n'; } >"$W/longa.txt"
# 2 GB without a line end, sparse: it costs no disk.
printf 'email\r\nana@good.test\r\nzz' >"$W/gigante.csv" && truncate -s 2G "$W/gigante.csv"
printf 'not a database at all' >"$W/lixo.bd"
mkdir -p "$W/home-lixo/dados/config" && cp "$W/lixo.bd" "$W/home-lixo/dados/config/quorvel.bd"
LONGO=$(head -c 300 /dev/zero | tr '\0' 'a')

tried=0 wrong=0 hangs=0
# caso DESCRIPTION STATUS MUST_HOLD MUST_NOT_HOLD COMMAND...
caso() {
  local desc=$1 status=$2 must=$3 mustnot=$4
  shift 4
  tried=$((tried + 1))
  local out rc
  out=$(timeout 60 bash -c "$*" 2>&1)
  rc=$?
  if [ $rc -eq 124 ]; then
    hangs=$((hangs + 1))
    echo "HANG   $desc"
    return
  fi
  if [ "$rc" != "$status" ] || { [ -n "$must" ] && [[ "$out" != *"$must"* ]]; } ||
    { [ -n "$mustnot" ] && [[ "$out" == *"$mustnot"* ]]; }; then
    wrong=$((wrong + 1))
    echo "WRONG  $desc (status $rc, expected $status)"
    echo "$out" | head -5 | sed 's/^/       /'
    return
  fi
  echo "ok     $desc"
}

Q="$CLI"
caso "binary bytes on standard input" 0 "" "Aborted" "$Q check --disable testemx $H < $W/binario.bin > /dev/null"
caso "empty standard input" 0 "" "" "$Q check $H < /dev/null"
caso "a file that does not exist" 1 "não foi possível abrir o arquivo" "" "$Q check $H --file $W/nada.txt"
caso "a folder given as the file" 1 "é uma pasta" "" "$Q check $H --file $W"
caso "standard output on a full disk" 1 "não há espaço livre no disco" "" "$Q check $H a@good.test > /dev/full"
caso "reader gone (| head)" 0 "" "quorvel-cli" "seq 1 200000 | sed 's/$/@x.test/' | $Q check --disable testemx $H | head -1 >/dev/null; exit \${PIPESTATUS[2]}"
caso "unknown stage" 2 "etapa desconhecida: bogus" "" "$Q check --disable bogus $H a@b.com"
caso "unknown command" 2 "comando desconhecido: frob" "" "$Q frob"
caso "unknown option" 2 "argumento inesperado: --frob" "" "$Q check --frob $H"
caso "missing value" 2 "--home" "" "$Q check --home"
caso "workspace that is a file" 2 "a pasta de trabalho não existe" "" "$Q check --home $W/lista.csv a@b.com"
caso "a line of fields without an address" 0 "Nenhum e-mail encontrado" "" "$Q check --disable testemx $H 'ana@gmail,com'"
caso "domain that cannot be a name" 0 "Teste MX - gmail..com" "" "$Q check --disable sintaxe $H a@gmail..com"
caso "domain over 253 octets" 0 "Teste MX - " "" "$Q check --disable sintaxe,empirico $H a@$LONGO.test"
caso "damaged database file" 1 "Não foi possível abrir o banco de dados" "" "$Q db stats --home $W/home-lixo && exit 9; cmp -s $W/lixo.bd $W/home-lixo/dados/config/quorvel.bd || echo ALTERADO; $Q db stats --home $W/home-lixo"
caso "extract: missing file" 1 "não foi possível abrir o arquivo" "" "$Q extract $W/nada.txt"
caso "extract: /dev/null" 0 "" "" "$Q extract /dev/null"
caso "extract: a /proc file" 0 "" "" "$Q extract /proc/self/status"
caso "extract: a pipe" 0 "x@y.com.br" "" "$Q extract <(echo x@y.com.br)"
caso "extract: full disk" 1 "não foi possível gravar na saída padrão" "" "$Q extract $W/lista.csv > /dev/full"
caso "extract: binary" 0 "" "Aborted" "$Q extract $W/binario.bin > /dev/null"
caso "list: unknown column" 2 "não há coluna chamada" "" "$Q list dedupe --column telefone $W/lista.csv $W/o.csv"
caso "list: column 0" 2 "a coluna 0 não existe" "" "$Q list dedupe --column 0 $W/lista.csv $W/o.csv"
caso "list: output is the input" 2 "não pode ser o de entrada" "" "$Q list dedupe --column 1 $W/lista.csv $W/lista.csv"
caso "list: empty file" 1 "está vazio" "" "$Q list dedupe --column 1 $W/vazio.txt $W/o.csv"
caso "list: a 2 GB line" 1 "passa de 16 MB" "" "$Q list dedupe --column 1 $W/gigante.csv $W/o-gig.csv"
caso "list: binary file" 0 "" "Aborted" "$Q list dedupe --column 1 $W/binario.bin $W/o-bin.csv"
caso "list: missing exclusion file" 1 "não foi possível abrir o arquivo" "" "$Q list exclude --column 1 --with $W/nada.txt $W/lista.csv $W/o.csv"
caso "list: exclusion file not .txt or .csv" 2 "precisam ser arquivos .txt ou .csv" "" "$Q list exclude --column 1 --with $W/binario.bin $W/lista.csv $W/o.csv"
caso "validate-list: no e-mail column" 2 "a coluna de e-mails não foi identificada" "ESCRITO" "$Q validate-list $H $W/sem-email.csv --valid $W/v1.csv --invalid $W/i1.csv; s=\$?; test -e $W/v1.csv && echo ESCRITO; exit \$s"
caso "validate-list: one file for both" 2 "precisam ser diferentes" "" "$Q validate-list $H $W/lista.csv --valid $W/x.csv --invalid $W/x.csv"
caso "validate-list: binary" 0 "" "Aborted" "$Q validate-list --disable testemx $H $W/binario.bin --valid $W/v2.csv --invalid $W/i2.csv || true; exit 0"
caso "bulk: no file can be read" 1 "Não foi possível abrir o arquivo" "big_validos" "$Q bulk $H $W/nada1.txt $W/nada2.txt; s=\$?; ls $W/home/dados; exit \$s"
caso "bulk: a folder" 1 "Não foi possível abrir o arquivo" "" "$Q bulk $H $W"
caso "bulk: output folder missing" 2 "a pasta de saída não existe" "" "$Q bulk --output-dir $W/nada $H $W/lista.csv"
caso "bulk: a 5 MB line" 0 "lbProcessados" "" "$Q bulk --disable testemx $H $W/longa.txt"
caso "bulk: binary and empty files" 0 "lbProcessados" "" "$Q bulk --disable testemx $H $W/binario.bin $W/vazio.txt"
caso "negative remove: not there" 1 "não estava na base negativa" "" "$Q negative remove $H ninguem@x.com"
caso "db mx forget: not there" 1 "não estava guardado" "" "$Q db mx forget $H nada.test"

# Kill points: the program killed at several moments of a run; the store opens afterwards. It
# writes its answers into a pipe read no further than the kill point, so it cannot have ended.
seq 1 5000 | sed 's/^/k/; s/$/@morto.test/' >"$W/muitos.txt"
mkfifo "$W/respostas"
for bytes in 1 65536 131072; do
  "$CLI" check $H --file "$W/muitos.txt" >"$W/respostas" 2>/dev/null &
  pid=$!
  exec 3<"$W/respostas"
  head -c $bytes <&3 >/dev/null
  kill -9 $pid 2>/dev/null
  wait $pid 2>/dev/null
  exec 3<&-
  caso "killed (-9) after $bytes bytes of answers: the store opens" 0 "tbmxinvalidos" "" "$Q db stats $H"
done
# A list command killed while it prepares its file, and while its new file waits to take the
# old one's place: it stops itself at that point (QUORVEL_STOP_AT) and is killed there.
parado() { [ "$(awk '{print $3}' /proc/$1/stat 2>/dev/null)" = T ]; }
for ponto in "Preparando dados..." "file-rename:saida.csv"; do
  QUORVEL_STOP_AT="$ponto" "$CLI" list dedupe --column 1 "$W/muitos.txt" "$W/saida.csv" >/dev/null 2>&1 &
  pid=$!
  ate "parado $pid"
  kill -9 $pid 2>/dev/null
  wait $pid 2>/dev/null
done
caso "list killed (-9) at its save: the next save leaves no temporary file" 0 "" "tmp-" "$Q list dedupe --column 1 $W/muitos.txt $W/saida.csv >/dev/null 2>&1 && ls $W"

echo
echo "cases tried: $tried; wrong results: $wrong; hangs: $hangs"
[ $wrong -eq 0 ] && [ $hangs -eq 0 ]
