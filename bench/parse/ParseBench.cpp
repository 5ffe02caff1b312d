// Document building and thread-page parsing on typical 150 KB pages of 100 posts.
// Run: build/bin/bench_parse  (see the README for the whole benchmark command)
#include "bench/parse/TypicalPages.h"

#include "server/parse/CParseWebpage.h"
#include "server/parse/PageDocumentBuilder.h"

#include <benchmark/benchmark.h>

namespace {

const QString kShell = QStringLiteral(
    "<!DOCTYPE html>\n<html>\n<head>\n<meta "
    "charset=\"utf-8\">\n<title>Quillmere</title>\n</head>\n<body>\n</body>\n</html>\n");

QString AddressOf(int layout) {
    return layout == 4
               ? QStringLiteral("http://bbs.forum.test/post-free-1-2.shtml")
               : QStringLiteral("http://www.forum.test/publicforum/content/free/1/t-2.shtml");
}

// What a page loader does with the downloaded bytes.
DocumentPtr BuildFromBytes(const QByteArray& bytes, const QString& address) {
    QString body;
    if (!CutPageBody(DecodePageText(bytes), &body))
        return nullptr;
    return BuildPageDocument(kShell, body, address, QStringLiteral("file:///home/user/Show.html"));
}

// The posts and pictures of a page whose information has been read; all 100 posts or an error.
void ParseAllPosts(benchmark::State& state, const DocumentPtr& document, const QString& address,
                   const ParsedPageInfo& info) {
    auto parser = CreateParser(info.layout, document, address, info);
    QList<PostRecord> posts;
    QList<PictureRecord> pictures;
    if (!parser->ParsePosts(info.currentPage, &posts, &pictures) || posts.size() != 100)
        state.SkipWithError("posts not read");
    benchmark::DoNotOptimize(posts);
}

void BM_BuildDocumentAndInnerText(benchmark::State& state) {
    const QByteArray page = TypicalThreadPage(1);
    for (auto _ : state) {
        DocumentPtr document = BuildFromBytes(page, AddressOf(1));
        benchmark::DoNotOptimize(document->InnerText(document->Body()));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * page.size());
}
BENCHMARK(BM_BuildDocumentAndInnerText)->Unit(benchmark::kMillisecond);

// The three steps of one page, alone and together; the shares follow from the times.
void BM_Build(benchmark::State& state) {
    const int layout = int(state.range(0));
    const QByteArray page = TypicalThreadPage(layout);
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildFromBytes(page, AddressOf(layout)));
    state.SetItemsProcessed(state.iterations());
}

void BM_ReadPageInfo(benchmark::State& state) {
    const int layout = int(state.range(0));
    DocumentPtr document = BuildFromBytes(TypicalThreadPage(layout), AddressOf(layout));
    for (auto _ : state) {
        QString address = AddressOf(layout);
        ParsedPageInfo info;
        if (!ReadPageInfo(document, &address, &info))
            state.SkipWithError("page information not read");
        benchmark::DoNotOptimize(info);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ParsePosts(benchmark::State& state) {
    const int layout = int(state.range(0));
    DocumentPtr document = BuildFromBytes(TypicalThreadPage(layout), AddressOf(layout));
    QString address = AddressOf(layout);
    ParsedPageInfo info;
    ReadPageInfo(document, &address, &info);
    for (auto _ : state)
        ParseAllPosts(state, document, address, info);
    state.SetItemsProcessed(state.iterations());
}

void BM_WholePage(benchmark::State& state) {
    const int layout = int(state.range(0));
    const QByteArray page = TypicalThreadPage(layout);
    for (auto _ : state) {
        DocumentPtr document = BuildFromBytes(page, AddressOf(layout));
        QString address = AddressOf(layout);
        ParsedPageInfo info;
        if (!ReadPageInfo(document, &address, &info))
            state.SkipWithError("page information not read");
        ParseAllPosts(state, document, address, info);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(int64_t(state.iterations()) * page.size());
}

BENCHMARK(BM_Build)->Arg(1)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPageInfo)->Arg(1)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParsePosts)->Arg(1)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholePage)->Arg(1)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);

} // namespace

namespace {
void BM_StepDecode(benchmark::State& state) {
    const QByteArray page = TypicalThreadPage(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodePageText(page));
}
BENCHMARK(BM_StepDecode)->Unit(benchmark::kMillisecond);
void BM_StepTree(benchmark::State& state) {
    const QString text = DecodePageText(TypicalThreadPage(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(std::make_shared<HtmlDocument>(text, "http://a/", "file:///b"));
}
BENCHMARK(BM_StepTree)->Unit(benchmark::kMillisecond);
} // namespace
