// Throughput of the block run-length codec against memcpy of the same bytes, measured in the same
// run, on five kinds of data at a cache-resident size and at a size well beyond the last-level
// cache. After the runs it prints, per case, the best Pack and Unpack throughput of all
// repetitions as a ratio to the best memcpy throughput.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "storage/acSFPack.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kLarge = 64u << 20;  // beyond a 32 MB last-level cache
constexpr size_t kSmall = 256u << 10;
constexpr int kRepetitions = 5;

// Deterministic generator (xorshift64*), so every run measures the same bytes.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1DULL;
  }
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>((Next() >> 32) % n); }
  uint8_t Byte() { return static_cast<uint8_t>(Next() >> 56); }

 private:
  uint64_t state_;
};

const char* const kWords[] = {
    "the",     "of",     "and",   "to",      "in",       "is",     "that",    "for",  "it",
    "with",    "as",     "was",   "on",      "be",       "by",     "this",    "are",  "from",
    "install", "setup",  "files", "program", "window",   "button", "storage", "data", "will",
    "which",   "their",  "there", "would",   "about",    "system", "into",    "more", "other",
    "should",  "people", "time",  "little",  "together", "all",    "been",    "have", "were"};

void AppendWord(Bytes& out, Rng& rng) {
  const char* w = kWords[rng.Below(sizeof kWords / sizeof kWords[0])];
  out.insert(out.end(), w, w + std::strlen(w));
}

Bytes Text(size_t size, Rng& rng) {
  Bytes out;
  out.reserve(size + 64);
  while (out.size() < size) {
    AppendWord(out, rng);
    const uint32_t r = rng.Below(100);
    if (r < 6) {
      out.push_back('.');
      out.push_back(' ');
    } else if (r < 9) {
      out.push_back(',');
      out.push_back(' ');
    } else if (r < 11) {
      out.push_back('\n');
      if (r == 10) out.insert(out.end(), 4, ' ');  // an indented line
    } else {
      out.push_back(' ');
    }
  }
  out.resize(size);
  return out;
}

Bytes Random(size_t size, Rng& rng) {
  Bytes out(size);
  for (uint8_t& b : out) b = rng.Byte();
  return out;
}

// An executable-like image: a mostly-zero header, code with skewed opcode bytes and padding
// between functions, string tables, and a large compressed payload (the bulk of an installer).
Bytes Installer(size_t size, Rng& rng) {
  static const uint8_t kCode[] = {0x8B, 0x89, 0xE8, 0x00, 0xFF, 0x45, 0x55, 0xC3, 0x83, 0x85,
                                  0x74, 0x75, 0xEB, 0x50, 0x51, 0x6A, 0x0F, 0x84, 0x24, 0x04};
  Bytes out;
  out.reserve(size + 70000);
  while (out.size() < size) {
    out.insert(out.end(), 64, 0x00);  // header
    out.insert(out.end(), {'M', 'Z', 0x90, 0x00, 'P', 'E', 0x00, 0x00});
    out.insert(out.end(), 900, 0x00);
    for (size_t code = 0; code < 180000;) {  // code section
      const size_t fn = 20 + rng.Below(400);
      for (size_t i = 0; i < fn; ++i)
        out.push_back(rng.Below(3) == 0 ? rng.Byte() : kCode[rng.Below(sizeof kCode)]);
      out.insert(out.end(), rng.Below(12), rng.Below(2) ? 0xCC : 0x00);
      code += fn;
    }
    for (size_t s = 0; s < 30000;) {  // strings
      const size_t before = out.size();
      for (int w = 1 + rng.Below(5); w > 0; --w) {
        AppendWord(out, rng);
        out.push_back(' ');
      }
      out.push_back(0);
      s += out.size() - before;
    }
    out.insert(out.end(), 512 + rng.Below(3000), 0x00);  // section alignment
    const Bytes payload = Random(1500000, rng);
    out.insert(out.end(), payload.begin(), payload.end());
  }
  out.resize(size);
  return out;
}

Bytes Sparse(size_t size, Rng& rng) {
  Bytes out;
  out.reserve(size + 8000);
  while (out.size() < size) {
    out.insert(out.end(), 100 + rng.Below(5000), 0x00);
    for (size_t n = 1 + rng.Below(200); n > 0; --n) out.push_back(rng.Byte());
  }
  out.resize(size);
  return out;
}

// Work that the fast paths like least: runs of exactly 3, 4 and 5; blocks that miss one byte
// value and hold another only near their end (the marker search must mark the whole block);
// runs across the 65,533-byte block border.
Bytes Adversarial(size_t size, Rng& rng) {
  Bytes out;
  out.reserve(size + 70000);
  for (int kind = 0; out.size() < size; kind = (kind + 1) % 3) {
    const size_t start = out.size();
    if (kind == 0) {
      while (out.size() - start < kPackBlockMax)
        out.insert(out.end(), 3 + rng.Below(3), rng.Byte());
    } else if (kind == 1) {
      while (out.size() - start < kPackBlockMax) {
        uint8_t b = rng.Byte();
        if (b == 0xC8 || b == 0x03) b = 0x04;
        out.push_back(b);
      }
      out[out.size() - 50] = 0x03;
    } else {
      const size_t border = start + kPackBlockMax;
      while (out.size() < border - 10) out.push_back(rng.Byte());
      out.insert(out.end(), 20, 0x5A);  // straddles the border
    }
    // Realign to the block grid so that every block has one kind.
    const size_t aligned = start + kPackBlockMax;
    if (out.size() > aligned && kind != 2) out.resize(aligned);
  }
  out.resize(size);
  return out;
}

struct Case {
  const char* name;
  Bytes (*make)(size_t, Rng&);
};

const Case kCases[] = {{"installer", Installer},
                       {"random", Random},
                       {"text", Text},
                       {"sparse", Sparse},
                       {"adversarial", Adversarial}};

// The data of one case and size, packed once up front and checked to round-trip.
struct Fixture {
  Bytes input, packed, output;
};

Fixture& Data(const Case& c, size_t size) {
  static std::map<std::pair<std::string, size_t>, Fixture> all;
  Fixture& f = all[{c.name, size}];
  if (!f.input.empty()) return f;
  Rng rng(0x5EED0000u + size);
  f.input = c.make(size, rng);
  f.packed.resize(PackedSizeMax(size));
  f.packed.resize(PackData(f.input.data(), f.packed.data(), size, f.packed.size()));
  f.output.assign(size, 0);
  const UnpackResult r =
      UnpackData(f.packed.data() + 4, f.output.data(), f.packed.size() - 4, size);
  if (f.packed.size() < 4 || !r.ok || f.output != f.input) {
    std::fprintf(stderr, "round trip failed for %s\n", c.name);
    std::exit(1);
  }
  return f;
}

void BM_Memcpy(benchmark::State& state, const Case* c, size_t size) {
  Fixture& f = Data(*c, size);
  for (auto _ : state) {
    std::memcpy(f.output.data(), f.input.data(), size);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

void BM_Pack(benchmark::State& state, const Case* c, size_t size) {
  Fixture& f = Data(*c, size);
  Bytes dest(PackedSizeMax(size), 0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(PackData(f.input.data(), dest.data(), size, dest.size()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
  state.counters["ratio"] = static_cast<double>(f.packed.size()) / static_cast<double>(size);
}

void BM_Unpack(benchmark::State& state, const Case* c, size_t size) {
  Fixture& f = Data(*c, size);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        UnpackData(f.packed.data() + 4, f.output.data(), f.packed.size() - 4, size));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

// Keeps, per benchmark name without the repetition suffix, the best seconds per iteration.
class BestOfReporter : public benchmark::ConsoleReporter {
 public:
  BestOfReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
      const std::string name = run.run_name.function_name;
      auto it = best_.find(name);
      if (it == best_.end() || seconds < it->second) best_[name] = seconds;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  double Best(const std::string& name) const {
    auto it = best_.find(name);
    return it == best_.end() ? 0 : it->second;
  }

 private:
  std::map<std::string, double> best_;
};

std::string SizeName(size_t size) {
  return size >= (1u << 20) ? std::to_string(size >> 20) + "MiB"
                            : std::to_string(size >> 10) + "KiB";
}

void PrintRatios(const BestOfReporter& reporter) {
  std::printf("\nBest of %d repetitions, throughput as a ratio to memcpy (GB/s in brackets):\n",
              kRepetitions);
  std::printf("%-26s %10s %18s %18s\n", "case", "memcpy", "Pack", "Unpack");
  for (const Case& c : kCases) {
    for (size_t size : {kSmall, kLarge}) {
      const std::string suffix = std::string("/") + c.name + "/" + SizeName(size);
      const double m = reporter.Best("Memcpy" + suffix);
      const double p = reporter.Best("Pack" + suffix);
      const double u = reporter.Best("Unpack" + suffix);
      if (m == 0) continue;
      const double gb = static_cast<double>(size) / 1e9;
      std::printf("%-26s %7.2f GB/s", suffix.c_str() + 1, gb / m);
      for (double t : {p, u}) {
        if (t == 0)
          std::printf("  %16s", "-");
        else
          std::printf("  %5.2fx (%5.2f)", m / t, gb / t);
      }
      std::printf("\n");
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (const Case& c : kCases) {
    for (size_t size : {kSmall, kLarge}) {
      const std::string suffix = std::string("/") + c.name + "/" + SizeName(size);
      benchmark::RegisterBenchmark(("Memcpy" + suffix).c_str(), BM_Memcpy, &c, size)
          ->Repetitions(kRepetitions);
      benchmark::RegisterBenchmark(("Pack" + suffix).c_str(), BM_Pack, &c, size)
          ->Repetitions(kRepetitions);
      benchmark::RegisterBenchmark(("Unpack" + suffix).c_str(), BM_Unpack, &c, size)
          ->Repetitions(kRepetitions);
    }
  }
  benchmark::Initialize(&argc, argv);
  BestOfReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter);
  benchmark::Shutdown();
  return 0;
}
