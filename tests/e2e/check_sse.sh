#!/usr/bin/env bash
# A 32-bit program must start on processors without SSE2 (Pentium Pro, II, III, Athlon XP) and
# without MMX (Pentium Pro): its code may use the instructions below only in functions that run
# after the processor has been asked (CPUID) whether it has them. Those are the codec's SSE2 and
# AVX2 functions, whose names end in Sse2 or Avx2 (storage/acSFPack.cpp), and the CRC-32's
# folding with carry-less multiplication, whose names end in Pclmul (storage/Crc32.cpp). The check
# covers all of the program's code: ours, the C and C++ runtime linked in, and libjpeg.
#
#   check_sse.sh OBJDUMP PROGRAM MAP TWIN
#
# OBJDUMP is the target's objdump (its objcopy and c++filt lie beside it). MAP is the linker map of
# PROGRAM's link, which tells the code in .text from the data that the linker script also puts
# there (constructor lists, exception tables). TWIN is the same link of the same objects with the
# symbol table kept: its code must equal PROGRAM's byte for byte, and its symbols name every
# function, also the local ones that the map leaves out; an instruction counts to the last symbol
# before it. A program linked with its symbols is its own twin.
#
# The checked instructions:
# - every instruction with an MMX, SSE, AVX or AVX-512 register operand (%mm, %xmm, %ymm, %zmm, %k);
# - the instructions of those extensions that name no such register: emms, femms, ldmxcsr,
#   stmxcsr (also their AVX forms), vzeroupper, vzeroall, sfence, lfence, mfence, clflush,
#   clflushopt, clwb, movnti, the prefetch instructions, fisttp, monitor, mwait;
# - fxsave and fxrstor, which the Pentium Pro lacks;
# - the later ones on general registers that GCC emits only when told to: crc32, popcnt, lzcnt and
#   the BMI, BMI2 and ADX instructions (andn ... adox).
# Not checked: tzcnt, which GCC emits for a count of trailing zeros (a "rep bsf" that processors
# without BMI run as bsf, with the same result for the nonzero values it is used on), and xgetbv,
# which the codec runs only once CPUID has reported that the system uses XSAVE.
set -euo pipefail
objdump=$1 program=$2 map=$3 twin=$4
objcopy=${objdump%objdump}objcopy cxxfilt=${objdump%objdump}c++filt nm=${objdump%objdump}nm
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
name=$(basename "$program")

fail() {
  echo "$name: $*" >&2
  exit 1
}

# The twin must hold the same code at the same addresses.
code_sections() {
  "$objdump" -h "$1" | awk '/^ *[0-9]+ / { name = $2; vma = $4; next }
                           /CODE/ { print name, vma }'
}
code_sections "$program" >"$work/sections"
code_sections "$twin" >"$work/twin-sections"
[ -s "$work/sections" ] || fail "no code section found"
cmp -s "$work/sections" "$work/twin-sections" || fail "the twin $twin has other code sections"
while read -r section _; do
  "$objcopy" -O binary -j "$section" "$program" "$work/code"
  "$objcopy" -O binary -j "$section" "$twin" "$work/twin-code"
  cmp -s "$work/code" "$work/twin-code" || fail "the twin $twin differs in $section"
done <"$work/sections"

# The map must come from this link: every symbol it places in .text has a symbol of the twin at
# its address.
"$nm" "$twin" | awk '{ print tolower($1) }' | sort -u >"$work/twin-addresses"
awk '/^[^ ]/ { inText = ($1 == ".text"); next }
     inText && NF == 2 && $1 ~ /^0x/ && $2 !~ /^0x/ { print tolower(substr($1, 3)) }' "$map" |
  sort -u >"$work/map-addresses"
[ -s "$work/map-addresses" ] || fail "no symbol in .text in the map $map"
if comm -23 "$work/map-addresses" "$work/twin-addresses" | grep -q .; then
  fail "the map $map does not describe this program: symbols at $(comm -23 "$work/map-addresses" \
    "$work/twin-addresses" | head -3 | tr '\n' ' ')lie elsewhere in it"
fi

# The code ranges: the input sections named .text* (and .init, .fini) inside the output section
# .text, as "start end" in decimal. Long input section names stand alone on their line, their
# address and size on the next.
awk '
  function hex(s,   i, n) {
    s = tolower(s); sub(/^0x/, "", s); n = 0
    for (i = 1; i <= length(s); ++i) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
    return n
  }
  function emit(section, start, size) {
    if ((section ~ /^\.text/ || section ~ /^\.init/ || section == ".fini") && hex(size) > 0)
      printf "%.0f %.0f\n", hex(start), hex(start) + hex(size)
  }
  /^[^ ]/ { inText = ($1 == ".text"); pending = ""; next }
  !inText { next }
  /^ [^ *]/ {
    if (NF >= 3 && $2 ~ /^0x/ && $3 ~ /^0x/) emit($1, $2, $3); else pending = $1
    next
  }
  pending != "" && NF >= 2 && $1 ~ /^0x/ && $2 ~ /^0x/ { emit(pending, $1, $2) }
  { pending = "" }
' "$map" | sort -n >"$work/ranges"
[ -s "$work/ranges" ] || fail "no code found in the map $map"

# The checked instructions in the code ranges, as "label<TAB>address: instruction", the label
# being the twin symbol the instruction follows.
"$objdump" -d --no-show-raw-insn "$twin" | awk -v ranges="$work/ranges" '
  function hex(s,   i, n) {
    s = tolower(s); n = 0
    for (i = 1; i <= length(s); ++i) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
    return n
  }
  BEGIN {
    while ((getline line < ranges) > 0) { split(line, r, " "); from[++count] = r[1]; to[count] = r[2] }
    k = 1
    registers = "%(mm[0-7]|[xyz]mm[0-9]+|k[0-7])([^0-9]|$)"
    mnemonics = "^(emms|femms|v?ldmxcsr|v?stmxcsr|vzeroupper|vzeroall|[slm]fence|clflush(opt)?|clwb|" \
                "movnti[lq]?|prefetch(nta|t0|t1|t2|w|wt1)?|fisttp[sl]?l?|monitor|mwait|fxsave|fxrstor|" \
                "crc32[bwlq]?|popcnt[wlq]?|lzcnt[wlq]?|andn|bextr|blsi|blsmsk|blsr|bzhi|pdep|pext|rorx|" \
                "sarx|shlx|shrx|mulx|adcx|adox)$"
  }
  /^[0-9a-f]+ <.*>:$/ { label = substr($2, 2, length($2) - 3); next }
  /^ *[0-9a-f]+:\t/ {
    split($0, part, "\t")
    address = part[1]; sub(/^ */, "", address); sub(/:$/, "", address)
    text = part[2]; for (i = 3; i in part; ++i) text = text " " part[i]
    at = hex(address)
    while (k <= count && at >= to[k]) ++k
    if (k > count || at < from[k]) next
    n = split(text, word, " ")
    mnemonic = word[1]
    for (i = 1; i < n && word[i] ~ /^(rep|repz|repnz|repe|repne|lock|data16|addr16|notrack|bnd|cs|ds|es|fs|gs|ss)$/; ++i)
      mnemonic = word[i + 1]
    if (text ~ registers || mnemonic ~ mnemonics) printf "%s\t0x%s: %s\n", label, address, text
  }
' >"$work/found"

# The function each label names, without its namespaces, template arguments and clone suffix:
# only names ending in Sse2, Avx2 or Pclmul are allowed.
cut -f1 "$work/found" | "$cxxfilt" -p >"$work/names"
cut -f2 "$work/found" | paste "$work/names" - | awk -F '\t' '
  function own(name,   last) {
    gsub(/\(anonymous namespace\)/, "anon", name)
    while (name ~ /<[^<>]*>/) gsub(/<[^<>]*>/, "", name)
    sub(/ \[clone [^]]*\]$/, "", name)
    sub(/\.(cold|part\.[0-9]+|isra\.[0-9]+|constprop\.[0-9]+)+$/, "", name)
    last = name; sub(/^.* /, "", last); sub(/^.*::/, "", last)
    return last
  }
  {
    allowed = own($1) ~ /(Sse2|Avx2|Pclmul)$/
    if (!($1 in count)) { order[++functions] = $1; first[$1] = $2 }
    ++count[$1]; ok[$1] = allowed
  }
  END {
    for (i = 1; i <= functions; ++i) {
      f = order[i]
      if (ok[f]) { ++good; goodCount += count[f] }
      else { ++bad; badCount += count[f] }
    }
    for (pass = 1; pass >= 0; --pass) {
      for (i = 1; i <= functions; ++i) {
        f = order[i]
        if (ok[f] != pass) continue
        printf "  %s %s: %d checked instruction(s), the first at %s\n", pass ? "allowed" : "NOT ALLOWED",
               f, count[f], first[f]
      }
    }
    if (bad) {
      printf "FAIL: %d checked instruction(s) in %d function(s) not named ...Sse2, ...Avx2 or ...Pclmul\n", badCount, bad
      exit 1
    }
    printf "OK: checked instructions only in the %d function(s) named ...Sse2, ...Avx2 or ...Pclmul (%d instructions)\n",
           good + 0, goodCount + 0
  }
' >"$work/report" && status=0 || status=$?
echo "$name: $(wc -l <"$work/ranges") code ranges checked"
cat "$work/report"
exit $status
