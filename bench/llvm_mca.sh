#!/usr/bin/env bash
# Asks llvm-mca-19 how fast the FMA loop runs on processors this machine is
# not, against the bare chain it stands on. For GCC and Clang, where each is
# installed, it builds the program's loops as a Release build does, takes the
# steady-state body of each FMA loop from `objdump -d` (the path from the top
# of the loop back to it that never leaves it: two discharges), and prints a
# line a processor: its name, the compiler, and the predicted cycles of a
# discharge over those of the chain, for normal and for subnormal voltages:
#   znver4 gcc 1.000 subnormal 1.000
# The chain of a normal discharge is a multiply and an FMA; of a subnormal
# one, two FMAs and an addition. A figure, not a test: the model is a second
# witness beside the benchmark, not the judge.
#   bench/llvm_mca.sh
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
cpus=(znver3 znver4 znver5 skylake alderlake sapphirerapids icelake-server)

for tool in llvm-mca-19 objdump python3 cmake; do
  if ! command -v "$tool" >/dev/null; then
    echo "llvm_mca.sh: $tool is not installed (llvm-mca-19 is in Debian's llvm-19)" >&2
    exit 1
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The loop's body from the disassembly of one function: the instructions on
# the way from the loop's head, the lowest target of a jump backwards, round
# to it again, taking at each branch the way that can get back; every branch
# then jumps to the head, as llvm-mca repeats the body.
hot_path() {
  python3 -c '
import re, sys
code = []
for line in sys.stdin:
    m = re.match(r"\s*([0-9a-f]+):\s+(\S+)\s*(.*)$", line)
    if m:
        code.append((int(m.group(1), 16), m.group(2), m.group(3).split("#")[0].strip()))
index = {address: i for i, (address, _, _) in enumerate(code)}
def target(i):
    m = re.match(r"([0-9a-f]+)\s*<", code[i][2])
    return index.get(int(m.group(1), 16)) if code[i][1].startswith("j") and m else None
def successors(i):
    if code[i][1].startswith("ret"):
        return []
    if code[i][1] == "jmp":
        return [target(i)]
    return [k for k in (i + 1, target(i)) if k is not None and k < len(code)]
head = min(target(i) for i in range(len(code)) if target(i) is not None and target(i) <= i)
def gets_back(i):
    seen, todo = set(), [i]
    while todo:
        j = todo.pop()
        if j == head:
            return True
        if j not in seen:
            seen.add(j)
            todo.extend(successors(j))
    return False
print(".Lhead:")
i = head
while True:
    mnemonic, operands = code[i][1], code[i][2]
    print(f"  {mnemonic} .Lhead" if mnemonic.startswith("j") else f"  {mnemonic} {operands}")
    ways = [k for k in successors(i) if k == head or gets_back(k)]
    if head in ways and len(ways) == 1:
        break
    ways = [k for k in ways if k != head]
    if len(ways) != 1:
        sys.exit(f"no single way round the loop at {code[i][0]:x}")
    i = ways[0]
'
}

cycles() {  # cpu, assembly file
  llvm-mca-19 -mcpu="$1" -iterations=1000 "$2" 2>/dev/null | awk '/^Total Cycles:/ { print $3 }'
}

printf 'vmulsd %%xmm2, %%xmm1, %%xmm2\nvfmadd213sd %%xmm4, %%xmm3, %%xmm2\n' > "$work/chain.s"
printf 'vfmadd213sd %%xmm5, %%xmm1, %%xmm2\nvfmadd213sd %%xmm4, %%xmm3, %%xmm2\nvaddsd %%xmm6, %%xmm2, %%xmm2\n' \
  > "$work/subnormal_chain.s"

for compiler in g++ clang++; do
  if ! command -v "$compiler" >/dev/null; then
    echo "llvm_mca.sh: $compiler is not installed, left out" >&2
    continue
  fi
  case $compiler in g++) name=gcc ;; *) name=clang ;; esac
  build="$work/$name"
  cmake -S "$source_dir" -B "$build" -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=Release \
    -DKONDENSATOR_TESTS=OFF -DKONDENSATOR_BENCHMARKS=OFF >/dev/null
  cmake --build "$build" --target kondensator_core >/dev/null
  objdump -d --no-show-raw-insn -C "$build/CMakeFiles/kondensator_core.dir/src/discharge/fma_loop.cpp.o" \
    > "$work/$name.dis"
  for domain in ScaledDomain SubnormalDomain; do
    awk -v loop="run_fma_segment<.*$domain>" '$0 ~ "^[0-9a-f]+ <.*" loop { found = 1; next } found && /^$/ { exit } found' \
      "$work/$name.dis" | hot_path > "$work/$name-$domain.s"
  done
  for cpu in "${cpus[@]}"; do
    awk -v cpu="$cpu" -v compiler="$name" -v loop="$(cycles "$cpu" "$work/$name-ScaledDomain.s")" \
        -v chain="$(cycles "$cpu" "$work/chain.s")" -v subnormal="$(cycles "$cpu" "$work/$name-SubnormalDomain.s")" \
        -v subnormal_chain="$(cycles "$cpu" "$work/subnormal_chain.s")" \
        'BEGIN { printf "%s %s %.3f subnormal %.3f\n", cpu, compiler, loop / 2 / chain, subnormal / 2 / subnormal_chain }'
  done
done
