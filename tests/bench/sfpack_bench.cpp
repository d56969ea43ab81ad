// Throughput of the block run-length codec against memcpy of the same bytes, measured in the same
// run, on five kinds of data at a cache-resident size and at a size well beyond the last-level
// cache, with LZ4 (default level) and zlib (level 1) on the same inputs as peers. After the runs
// it prints, per case, the best Pack and Unpack throughput of all repetitions of each codec as a
// ratio to the best memcpy throughput, and each codec's packed size. Google Benchmark's own
// options work as usual (--benchmark_format=json, --benchmark_out=FILE, --benchmark_filter=...).
// --sfpack_path=plain|sse2|avx2 names the highest path our codec may use (the best the processor
// has by default).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <lz4.h>
#include <zlib.h>

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

// One codec under measurement: ours and the two general-purpose peers, each at the setting
// named in its label. `pack` returns the packed length (0 on failure); `unpack` whether it
// restored exactly `size` bytes.
struct Codec {
  const char* prefix;  // of the benchmark names: "Pack/...", "LZ4Pack/...", ...
  const char* label;   // in the table
  size_t (*bound)(size_t size);
  size_t (*pack)(const uint8_t* source, uint8_t* dest, size_t size, size_t room);
  bool (*unpack)(const uint8_t* packed, size_t length, uint8_t* dest, size_t size);
};

size_t OursPack(const uint8_t* source, uint8_t* dest, size_t size, size_t room) {
  return PackData(source, dest, size, room);
}
bool OursUnpack(const uint8_t* packed, size_t length, uint8_t* dest, size_t size) {
  // The 4-byte length comes first; the blocks follow it.
  if (length < 4) return false;
  const UnpackResult r = UnpackData(packed + 4, dest, length - 4, size);
  return r.ok && r.written == size;
}

size_t Lz4Bound(size_t size) {
  return static_cast<size_t>(LZ4_compressBound(static_cast<int>(size)));
}
size_t Lz4Pack(const uint8_t* source, uint8_t* dest, size_t size, size_t room) {
  const int n =
      LZ4_compress_default(reinterpret_cast<const char*>(source), reinterpret_cast<char*>(dest),
                           static_cast<int>(size), static_cast<int>(room));
  return n > 0 ? static_cast<size_t>(n) : 0;
}
bool Lz4Unpack(const uint8_t* packed, size_t length, uint8_t* dest, size_t size) {
  return LZ4_decompress_safe(reinterpret_cast<const char*>(packed), reinterpret_cast<char*>(dest),
                             static_cast<int>(length),
                             static_cast<int>(size)) == static_cast<int>(size);
}

size_t ZlibBound(size_t size) {
  return compressBound(static_cast<uLong>(size));
}
size_t ZlibPack(const uint8_t* source, uint8_t* dest, size_t size, size_t room) {
  uLongf n = static_cast<uLongf>(room);
  return compress2(dest, &n, source, static_cast<uLong>(size), 1) == Z_OK ? n : 0;
}
bool ZlibUnpack(const uint8_t* packed, size_t length, uint8_t* dest, size_t size) {
  uLongf n = static_cast<uLongf>(size);
  return uncompress(dest, &n, packed, static_cast<uLong>(length)) == Z_OK && n == size;
}

const Codec kCodecs[] = {{"", "ours", PackedSizeMax, OursPack, OursUnpack},
                         {"LZ4", "LZ4", Lz4Bound, Lz4Pack, Lz4Unpack},
                         {"Zlib", "zlib-1", ZlibBound, ZlibPack, ZlibUnpack}};
constexpr size_t kCodecCount = sizeof kCodecs / sizeof kCodecs[0];

// The data of one case and size, packed once up front by every codec and checked to round-trip.
struct Fixture {
  Bytes input, output;
  Bytes packed[kCodecCount];
};

Fixture& Data(const Case& c, size_t size) {
  static std::map<std::pair<std::string, size_t>, Fixture> all;
  Fixture& f = all[{c.name, size}];
  if (!f.input.empty()) return f;
  Rng rng(0x5EED0000u + size);
  f.input = c.make(size, rng);
  for (size_t k = 0; k < kCodecCount; ++k) {
    const Codec& codec = kCodecs[k];
    Bytes& packed = f.packed[k];
    packed.resize(codec.bound(size));
    packed.resize(codec.pack(f.input.data(), packed.data(), size, packed.size()));
    f.output.assign(size, 0);
    if (packed.empty() || !codec.unpack(packed.data(), packed.size(), f.output.data(), size) ||
        f.output != f.input) {
      std::fprintf(stderr, "%s round trip failed for %s\n", codec.label, c.name);
      std::exit(1);
    }
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

// The packed size goes out with every pack run, so collected results (--benchmark_out) carry it.
void SetPackedCounters(benchmark::State& state, const Bytes& packed, size_t size) {
  state.counters["packed"] = static_cast<double>(packed.size());
  state.counters["ratio"] = static_cast<double>(packed.size()) / static_cast<double>(size);
}

void BM_Pack(benchmark::State& state, const Case* c, size_t size, size_t k) {
  Fixture& f = Data(*c, size);
  const Codec& codec = kCodecs[k];
  Bytes dest(codec.bound(size), 0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(codec.pack(f.input.data(), dest.data(), size, dest.size()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
  SetPackedCounters(state, f.packed[k], size);
}

void BM_Unpack(benchmark::State& state, const Case* c, size_t size, size_t k) {
  Fixture& f = Data(*c, size);
  const Codec& codec = kCodecs[k];
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        codec.unpack(f.packed[k].data(), f.packed[k].size(), f.output.data(), size));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

// Keeps, per benchmark name without the repetition suffix, the best seconds per iteration and
// the packed size, and hands every report on to the reporter that --benchmark_format chose
// (console, json or csv); --benchmark_out gets the library's own file reporter as usual.
class BestOfReporter : public benchmark::BenchmarkReporter {
 public:
  BestOfReporter() : display_(benchmark::CreateDefaultDisplayReporter()) {}

  bool ReportContext(const Context& context) override { return display_->ReportContext(context); }

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
      const std::string name = run.run_name.function_name;
      auto it = best_.find(name);
      if (it == best_.end() || seconds < it->second) best_[name] = seconds;
      auto packed = run.counters.find("packed");
      if (packed != run.counters.end()) packed_[name] = packed->second.value;
    }
    display_->ReportRuns(runs);
  }

  void Finalize() override { display_->Finalize(); }

  // Whether the display is the console table; a json or csv display keeps stdout to itself.
  bool Console() const { return dynamic_cast<benchmark::ConsoleReporter*>(display_) != nullptr; }

  double Best(const std::string& name) const { return Find(best_, name); }
  double Packed(const std::string& name) const { return Find(packed_, name); }

 private:
  static double Find(const std::map<std::string, double>& m, const std::string& name) {
    auto it = m.find(name);
    return it == m.end() ? 0 : it->second;
  }

  benchmark::BenchmarkReporter* display_;  // the library's, which keeps it for the whole run
  std::map<std::string, double> best_;
  std::map<std::string, double> packed_;
};

const char* PathName(SFPackPath path) {
  switch (path) {
    case SFPackPath::kPlain:
      return "plain";
    case SFPackPath::kSse2:
      return "sse2";
    case SFPackPath::kAvx2:
      return "avx2";
  }
  return "?";
}

// Takes --sfpack_path=NAME out of the arguments and lets the codec use paths up to NAME; returns
// false for an unknown name.
bool ChoosePath(int& argc, char** argv) {
  const std::string option = "--sfpack_path=";
  int kept = 1;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind(option, 0) != 0) {
      argv[kept++] = argv[i];
      continue;
    }
    const std::string name = arg.substr(option.size());
    bool known = false;
    for (SFPackPath path : {SFPackPath::kPlain, SFPackPath::kSse2, SFPackPath::kAvx2}) {
      if (name != PathName(path)) continue;
      SetSFPackHighestPath(path);
      known = true;
    }
    if (!known) {
      std::fprintf(stderr, "unknown path %s (plain, sse2 or avx2)\n", name.c_str());
      ok = false;
    }
  }
  argc = kept;
  return ok;
}

std::string SizeName(size_t size) {
  return size >= (1u << 20) ? std::to_string(size >> 20) + "MiB"
                            : std::to_string(size >> 10) + "KiB";
}

// One row per case and size: memcpy's throughput, then per codec its Pack and Unpack throughput
// as a ratio to memcpy and its packed size in KiB.
void PrintRatios(const BestOfReporter& reporter, FILE* out) {
  std::fprintf(out,
               "\nBest of %d repetitions: throughput as a ratio to memcpy, packed size in KiB "
               "(ours on its %s path, LZ4 default, zlib level 1):\n",
               kRepetitions, PathName(SFPackPathInUse()));
  std::fprintf(out, "%-20s %11s", "", "memcpy");
  for (const Codec& codec : kCodecs) std::fprintf(out, " | %-26s", codec.label);
  std::fprintf(out, "\n%-20s %11s", "case", "GB/s");
  for (size_t k = 0; k < kCodecCount; ++k)
    std::fprintf(out, " | %8s %8s %8s", "pack", "unpack", "KiB");
  std::fprintf(out, "\n");
  for (const Case& c : kCases) {
    for (size_t size : {kSmall, kLarge}) {
      const std::string suffix = std::string("/") + c.name + "/" + SizeName(size);
      const double m = reporter.Best("Memcpy" + suffix);
      if (m == 0) continue;
      std::fprintf(out, "%-20s %11.2f", suffix.c_str() + 1, static_cast<double>(size) / 1e9 / m);
      for (const Codec& codec : kCodecs) {
        std::fprintf(out, " |");
        for (const char* what : {"Pack", "Unpack"}) {
          const double t = reporter.Best(codec.prefix + std::string(what) + suffix);
          if (t == 0)
            std::fprintf(out, " %8s", "-");
          else
            std::fprintf(out, " %7.3gx", m / t);
        }
        const double packed = reporter.Packed(codec.prefix + std::string("Pack") + suffix);
        if (packed == 0)
          std::fprintf(out, " %8s", "-");
        else
          std::fprintf(out, " %8.0f", packed / 1024);
      }
      std::fprintf(out, "\n");
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (!ChoosePath(argc, argv)) return 1;
  for (const Case& c : kCases) {
    for (size_t size : {kSmall, kLarge}) {
      const std::string suffix = std::string("/") + c.name + "/" + SizeName(size);
      benchmark::RegisterBenchmark(("Memcpy" + suffix).c_str(), BM_Memcpy, &c, size)
          ->Repetitions(kRepetitions);
      for (size_t k = 0; k < kCodecCount; ++k) {
        const std::string prefix = kCodecs[k].prefix;
        benchmark::RegisterBenchmark((prefix + "Pack" + suffix).c_str(), BM_Pack, &c, size, k)
            ->Repetitions(kRepetitions);
        benchmark::RegisterBenchmark((prefix + "Unpack" + suffix).c_str(), BM_Unpack, &c, size, k)
            ->Repetitions(kRepetitions);
      }
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  BestOfReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // The table follows the console output; beside json or csv it goes to stderr so that stdout
  // stays one well-formed document.
  PrintRatios(reporter, reporter.Console() ? stdout : stderr);
  benchmark::Shutdown();
  return 0;
}
