// The game's own trigonometry beside the C library's, on the arguments the game gives them
// (angles of a few turns) and on large ones.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "platform/trig.h"

namespace {

std::vector<double> arguments(double scale) {
    std::vector<double> v(1024);
    for (size_t i = 0; i < v.size(); i++) v[i] = scale * std::fmod(i * 0.6180339887498949, 1.0) - scale / 2;
    return v;
}

template <double (*F)(double)>
void unary(benchmark::State& state) {
    std::vector<double> v = arguments(static_cast<double>(state.range(0)));
    for (auto _ : state)
        for (double x : v) benchmark::DoNotOptimize(F(x));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(v.size()));
}

double libsin(double x) { return std::sin(x); }
double libcos(double x) { return std::cos(x); }
double libatan(double x) { return std::atan(x); }
double ownatan2(double x) { return trig::atan2(x, 0.75); }
double libatan2(double x) { return std::atan2(x, 0.75); }

}  // namespace

BENCHMARK(unary<trig::sin>)->Name("trig/sin")->Arg(20)->Arg(1 << 30);
BENCHMARK(unary<libsin>)->Name("libc/sin")->Arg(20)->Arg(1 << 30);
BENCHMARK(unary<trig::cos>)->Name("trig/cos")->Arg(20);
BENCHMARK(unary<libcos>)->Name("libc/cos")->Arg(20);
BENCHMARK(unary<trig::atan>)->Name("trig/atan")->Arg(20);
BENCHMARK(unary<libatan>)->Name("libc/atan")->Arg(20);
BENCHMARK(unary<ownatan2>)->Name("trig/atan2")->Arg(20);
BENCHMARK(unary<libatan2>)->Name("libc/atan2")->Arg(20);
