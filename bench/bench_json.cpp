// links: lapwren_upload
// The JSON reader on a large game-list reply, and the writer on a long run submission.
#include <cstdio>
#include <string>

#include <benchmark/benchmark.h>

#include "upload/Json.h"

namespace {

// A game-list reply of about 2 MB: 20,000 games of about 100 bytes each in its "data" object.
std::string GameListReply() {
    std::string text = R"({"result":"success","message":"","data":{)";
    char code[16];
    for (int i = 0; i < 20000; ++i) {
        std::snprintf(code, sizeof code, "g%05d", i);
        if (i > 0) {
            text += ',';
        }
        text += '"';
        text += code;
        text += R"(":")";
        text += "The Legend of a Rather Long Game Title, Part " + std::to_string(i) + " \\u2014 Definitive";
        text.append(25 - std::to_string(i).size(), '.'); // 100 bytes with the quotes and comma
        text += '"';
    }
    return text + "}}";
}

void BM_ParseGameListReply(benchmark::State& state) {
    const std::string reply = GameListReply();
    for (auto _ : state) {
        json::Value value = json::Deserialize(reply);
        benchmark::DoNotOptimize(value);
        if (value.Type() != json::ObjectValue || value.AsObject()["data"].AsObject().Count() != 20000) {
            state.SkipWithError("the reply did not read");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(BM_ParseGameListReply)->Unit(benchmark::kMillisecond);

void BM_SerializeRunSubmission(benchmark::State& state) {
    json::Object request;
    request["type"] = "submitrun";
    request["username"] = "runner";
    request["password"] = "pa\"ss";
    request["game"] = "g00042";
    request["category"] = "any";
    request["version"] = "1.0";
    request["comment"] = "A \"clean\" run\nwith two lines";
    request["runtime"] = "01:23:45.67";
    json::Array splits;
    for (int i = 0; i < 1000; ++i) {
        splits.Append(std::to_string(i / 60) + ":" + std::to_string(10 + i % 50) + ".25");
    }
    request["splits"] = splits;
    const json::Value value(request);
    for (auto _ : state) {
        std::string text = json::Serialize(value);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_SerializeRunSubmission)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
