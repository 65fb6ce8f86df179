#!/bin/bash
# Power-cut test: runs the console against the simulator and kills it, with
# the shell commands it may be running, by SIGKILL at random instants while it
# saves: remote profile uploads (profile and backup), the settings file and
# the password file it repairs at start-up, the valve count on the chip and
# its mirror (count reports of 20000 cycles), the over-temperature log
# (piezo and nozzle faults). After every kill it checks that each file is a
# whole old or new version and that the count on chip and mirror never went
# back, then starts the console again.
# Usage: scripts/crashtest.sh [kills]   (default 200; ZUM_BUILD_DIR: build folder)
# Exits 0 when every check passed, 1 on any failure (the simulated root is then
# kept for a look).
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
kills=${1:-200}
build=${ZUM_BUILD_DIR:-$here/build}
case $kills in '' | *[!0-9]*) echo "usage: $0 [kills]" >&2; exit 2 ;; esac
. "$here/scripts/simulated-console.sh"
simulated_console zumcrash
console_bin="$build/app/zumvalvecontroller"
data="$root/media/data"
chip="$root/sys/devices/w1_bus_master1/2d-00000a1b2c3d/eeprom"

sim="" console="" killer="" failures=0
cleanup() {
    trap - EXIT INT TERM
    [ -n "$killer" ] && kill "$killer" 2>/dev/null
    stop_simulated_console
    if [ "$failures" -eq 0 ]; then rm -rf "$root"; else echo "simulated root kept at $root"; fi
}
trap cleanup EXIT
trap 'failures=$((failures + 1)); exit 1' INT TERM

start_simulator
send() { "$sim_bin" --root "$root" "${@/#/--send=}" >>"$logs/commands.log" 2>&1 || true; }
waiting_requests() { "$sim_bin" --root "$root" --send status 2>/dev/null | sed -n 's/.* \([0-9]*\) waiting).*/\1/p'; }

# Files the console repairs at every start, so that each start saves them: a
# settings file without "repeatEnabled" (the rest must survive) and a
# password file with a line feed after the password.
prepare_files() {
    mkdir -p "$data"
    printf '{"trigOutForCamera":true,"repeatDelay":%d,"RemoteServerIP":"127.0.0.1","RemoteServerPort":"%s"}' \
        "$1" "$port" >"$data/JetValveSettings.dat.crashtest" && mv "$data/JetValveSettings.dat.crashtest" "$data/JetValveSettings.dat"
    printf 'ZUM4172\n' >"$data/zumInfoDat.dat.crashtest" && mv "$data/zumInfoDat.dat.crashtest" "$data/zumInfoDat.dat"
}

profile_json() { # profile number, dwell
    printf '{"programValue":%d,"dispenseCycles":"1","dwell":"%d","dutyCycle":"80","riseTime":"80","fallTime":"80","delay":"1000","cycleCount":"0","mode":0,"nozTemp":"30","nozTempState":false,"tuning":"1"}' "$1" "$2"
}

# Seconds since the epoch, with microseconds, without a fork.
now() { echo "$EPOCHREALTIME"; }
elapsed_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }'; }
random_between() { awk -v lo="$1" -v hi="$2" -v r="$RANDOM" 'BEGIN { printf "%.3f", lo + (hi - lo) * r / 32767 }'; }

# Checks every file after a kill; keeps what it saw last in $root/check.state.
# Prints one "FAIL ..." line per fault and "ok" otherwise.
cat >"$root/check.pl" <<'PERL'
use strict; use warnings; use JSON::PP;
my ($data, $chip, $state, $port, $delay) = @ARGV;
my %last = (chip => 0, mirror => 0, otlines => 0, mirrorseen => 0, otseen => 0);
if (open my $s, '<', $state) { for (<$s>) { chomp; my ($k, $v) = split / /; $last{$k} = $v; } close $s; }
my @fail;
sub slurp { my $f = shift; open my $h, '<:raw', $f or return undef; local $/; my $t = <$h>; close $h; $t }
sub crc { my $crc = 0xFFFF; for my $b (unpack 'C*', shift) { $crc ^= $b << 8;
    for (1..8) { $crc = ($crc & 0x8000) ? (($crc << 1) ^ 0x1021) & 0xFFFF : ($crc << 1) & 0xFFFF; } } $crc }
sub object { my $t = shift; my $o = eval { JSON::PP->new->decode($t) }; ref $o eq 'HASH' ? $o : undef }

opendir my $d, $data or die "no $data";
my @names = readdir $d; closedir $d;
my $leftovers = 0;
for my $name (sort @names) {
    $leftovers++ if $name =~ /\.[^.]+\.[^.]+$/ && $name !~ /crashtest$/;
    next unless $name =~ /^\d+JV\.profile(_BKUP)?$/;
    my $t = slurp("$data/$name");
    my $o = defined $t ? object($t) : undef;
    push @fail, "torn profile $name (" . length($t // '') . " bytes)" unless $o && exists $o->{programValue} && exists $o->{dwell};
}
my $settings = object(slurp("$data/JetValveSettings.dat") // '');
if (!$settings) { push @fail, "settings file missing or torn" }
elsif (($settings->{RemoteServerPort} // '') ne $port || ($settings->{repeatDelay} // '') ne $delay) {
    push @fail, "settings lost: " . JSON::PP->new->canonical->encode($settings);
}
my $pw = slurp("$data/zumInfoDat.dat");
push @fail, "password file missing or torn" unless defined $pw && $pw =~ /\A(ZUM|NOK)[0-9]{1,16}\n?\z/;

my $bytes = slurp($chip) // '';
if (length $bytes < 7) { push @fail, "valve chip holds " . length($bytes) . " bytes" }
else {
    my ($count, $flags, $stored) = unpack 'l< C v', $bytes;
    push @fail, "valve chip record has a bad CRC" if crc(substr($bytes, 0, 5)) != $stored;
    push @fail, "chip count went back from $last{chip} to $count" if $count < $last{chip};
    $last{chip} = $count if $count > $last{chip};
}
my $mirror = slurp("$data/2d-00000a1b2c3d-1");
if (!defined $mirror) { push @fail, "mirror file gone" if $last{mirrorseen} }
elsif ($mirror !~ /\A(-?\d+)#(\d+)#(\d+)\z/ || crc(pack 'l< C', $1, $2) != $3) { push @fail, "mirror torn: '$mirror'" }
else {
    push @fail, "mirror count went back from $last{mirror} to $1" if $1 < $last{mirror};
    $last{mirror} = $1 if $1 > $last{mirror}; $last{mirrorseen} = 1;
}
my $ot = slurp("$data/ot.log");
if (!defined $ot) { push @fail, "ot.log gone" if $last{otseen} }
else {
    $last{otseen} = 1;
    my @lines = split /\n/, $ot, -1;
    my $tail = pop @lines;
    push @fail, "ot.log ends inside a line" if $tail ne '';
    push @fail, "ot.log header damaged" unless @lines >= 3 && $lines[0] eq 'Overtemp Errors' && $lines[2] =~ /^-+$/;
    push @fail, "ot.log has " . scalar(@lines) . " lines" if @lines > 103;
    for my $line (@lines[3 .. $#lines]) {
        push @fail, "ot.log line torn: '$line'" unless $line =~ /^[0-4?] (ON |OFF )(HEATING |IDLE    )-?\d+ *-?\d+ *\S* +\d+$/;
    }
    push @fail, "ot.log went back from $last{otlines} to " . scalar(@lines) . " lines" if @lines < $last{otlines};
    $last{otlines} = @lines if @lines > $last{otlines};
}
open my $s, '>', "$state.new" or die; print $s "$_ $last{$_}\n" for sort keys %last; close $s; rename "$state.new", $state;
print @fail ? join('', map { "FAIL $_\n" } @fail) : "ok leftovers=$leftovers chip=$last{chip} mirror=$last{mirror} otlines=$last{otlines}\n";
PERL

ot_events=0 eeprom_writes=0 settings_saves=0 crashed=0 status=""
started=$(now)
echo "crash test: $kills kills, simulated root $root"
for i in $(seq "$kills"); do
    delay=$((100 + i % 900))
    prepare_files "$delay"
    send "temp piezo 25" "temp nozzle 25"
    # Every fourth life lasts long enough for a profile upload to arrive and
    # be saved (the console reads the server every 2 s).
    if [ $((i % 4)) -eq 0 ]; then
        life=$(random_between 1.8 3.4)
        n=$((1 + i / 4 % 5))
        if [ "$(waiting_requests)" = 0 ]; then send "server push $n $(profile_json "$n" "$i")"; fi
    else
        life=$(random_between 0.5 1.5)
    fi
    rm -f "$ZUM_HEARTBEAT_FILE"
    born=$(now)
    setsid "$console_bin" >"$logs/console.log" 2>&1 &
    console=$!
    (sleep "$life"; kill -KILL -- "-$console" 2>/dev/null || kill -KILL "$console" 2>/dev/null) &
    killer=$!
    # While it lives: wait for its window, then count reports of 20000 cycles
    # (each one an EEPROM write and a mirror update) and, at a random moment,
    # a piezo fault (an over-temperature log entry; the nozzle on long lives).
    fault_at=$(random_between 0.1 0.9)
    faulted=0
    while kill -0 "$console" 2>/dev/null && [ ! -s "$ZUM_HEARTBEAT_FILE" ]; do sleep 0.05; done
    up=$(now)
    while kill -0 "$console" 2>/dev/null; do
        if [ $faulted -eq 0 ] && awk -v e="$(elapsed_since "$up")" -v f="$fault_at" 'BEGIN { exit !(e >= f) }'; then
            if [ $((i % 8)) -eq 0 ]; then send "temp nozzle 110"; else send "temp piezo 90"; fi
            faulted=1
        else
            send "board report 20000"
        fi
        sleep "$(random_between 0.12 0.3)"
    done
    wait "$killer" 2>/dev/null || true
    killer=""
    wait "$console" 2>/dev/null && status=0 || status=$?
    if [ "$status" -ne 137 ]; then
        echo "kill $i: the console ended by itself (status $status) after $(elapsed_since "$born") s"
        cp "$logs/console.log" "$logs/console-ended-$i.log"
        crashed=$((crashed + 1))
    fi
    console=""
    ot_events=$((ot_events + $(grep -c '^committed' "$logs/console.log" || true)))
    eeprom_writes=$((eeprom_writes + $(grep -c '^The string to write to file' "$logs/console.log" || true)))
    settings_saves=$((settings_saves + $(grep -c 'settings file repaired' "$logs/console.log" || true)))
    result=$(perl "$root/check.pl" "$data" "$chip" "$root/check.state" "$port" "$delay" 2>&1) || true
    if [ "${result#ok}" = "$result" ]; then
        found=$(printf '%s\n' "$result" | grep -c '^FAIL' || true)
        failures=$((failures + (found > 0 ? found : 1)))
        printf 'kill %d (after %s s of life):\n%s\n' "$i" "$life" "$result"
        cp -r "$data" "$logs/data-after-kill-$i"
    fi
    if [ $((i % 50)) -eq 0 ]; then echo "  $i kills, $failures failures; $result"; fi
done 2>>"$logs/shell.log" # the shell's own notes on the processes it saw killed
pushes=$(grep -c '^console> ZUM_TXN_OK' "$root/sim/remote.log" || true)
failures=$((failures + crashed))
printf 'crashtest: %d kills in %s s, %d failures (%d ended by themselves); saves seen: %d profile uploads, %d settings repairs, %d verified EEPROM writes, %d over-temperature events; %s\n' \
    "$kills" "$(elapsed_since "$started")" "$failures" "$crashed" "$pushes" "$settings_saves" "$eeprom_writes" "$ot_events" "${result#ok }"
[ "$failures" -eq 0 ]
