#include "text/TextRecognizer.h"

#include <dlfcn.h>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "image/PixelImage.h"
#include "image/PixelLimit.h"
#include "text/ReadingOrder.h"
#include "text/TextRegions.h"

namespace clipvane {
namespace {

// Initialised engines, kept between calls: one per thread of a call, each
// used by one thread at a time.
class EnginePool {
public:
    struct Engine {
        std::string language, dataPath;
        std::unique_ptr<tesseract::TessBaseAPI> api;
    };

    // An engine for the language, loaded when none is free; null when the
    // language cannot be loaded.
    std::unique_ptr<Engine> Take(const std::string& language, const std::string& dataPath) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (auto it = free_.begin(); it != free_.end(); ++it) {
                if ((*it)->language == language && (*it)->dataPath == dataPath) {
                    std::unique_ptr<Engine> engine = std::move(*it);
                    free_.erase(it);
                    return engine;
                }
            }
        }
        auto engine = std::make_unique<Engine>();
        engine->language = language;
        engine->dataPath = dataPath;
        engine->api = std::make_unique<tesseract::TessBaseAPI>();
        // No debug output: it could carry recognised text.
        engine->api->SetVariable("debug_file", "/dev/null");
        if (engine->api->Init(dataPath.empty() ? nullptr : dataPath.c_str(), language.c_str(),
                              tesseract::OEM_LSTM_ONLY) != 0)
            return nullptr;
        engine->api->SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
        return engine;
    }

    void Give(std::unique_ptr<Engine> engine) {
        if (!engine) return;
        engine->api->Clear();
        std::lock_guard<std::mutex> lock(mutex_);
        free_.push_back(std::move(engine));
        // Keep as many as one call uses at most.
        const size_t keep = std::max(1u, std::thread::hardware_concurrency());
        while (free_.size() > keep) free_.erase(free_.begin());
    }

private:
    std::mutex mutex_;
    std::vector<std::unique_ptr<Engine>> free_;
};

EnginePool& Pool() {
    static EnginePool pool = [] {
        // Tesseract starts OpenMP teams of its own inside each line, which
        // compete with the region threads and spin while they wait: on a busy
        // machine several times slower. Regions are the parallel work here,
        // so OpenMP runs every parallel part on the thread that meets it (the
        // process's only OpenMP user is Tesseract). Looked up in the loaded
        // libraries: a Tesseract built without OpenMP has nothing to turn off.
        using SetLevels = void (*)(int);
        if (auto set = reinterpret_cast<SetLevels>(dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"))) set(0);
        return EnginePool();
    }();
    return pool;
}

bool CancelRequested(void* flag, int) { return static_cast<const std::atomic<bool>*>(flag)->load(); }

// Recognises one prepared region and appends its lines, in the picture's
// coordinates, to `lines`.
void RecognizeRegion(tesseract::TessBaseAPI& api, const PreparedRegion& region, bool singleLine,
                     const std::atomic<bool>* cancel, std::vector<RecognizedLine>& lines) {
    const GreyImage& img = region.image;
    // A single line needs no page layout analysis, the slowest part of a small region.
    api.SetPageSegMode(singleLine ? tesseract::PSM_SINGLE_LINE : tesseract::PSM_SINGLE_BLOCK);
    api.SetImage(img.pixels.data(), img.width, img.height, 1, img.width);
    // Screen text is about 96 dots per inch; the scale makes it larger.
    api.SetSourceResolution(96 * region.scale);
    tesseract::ETEXT_DESC monitor;
    if (cancel) {
        monitor.cancel = CancelRequested;
        monitor.cancel_this = const_cast<std::atomic<bool>*>(cancel);
    }
    if (api.Recognize(&monitor) != 0) return;
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it) return;
    const auto toSource = [&](int v, int origin) { return origin + std::max(0, v - kRegionBorder) / region.scale; };
    RecognizedLine* line = nullptr;
    do {
        if (it->Empty(tesseract::RIL_WORD)) continue;
        if (!line || it->IsAtBeginningOf(tesseract::RIL_TEXTLINE)) {
            lines.emplace_back();
            line = &lines.back();
        }
        std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_WORD));
        if (!text || !text[0]) continue;
        int l = 0, t = 0, r = 0, b = 0;
        it->BoundingBox(tesseract::RIL_WORD, &l, &t, &r, &b);
        RecognizedWord word;
        word.text = text.get();
        word.confidence = it->Confidence(tesseract::RIL_WORD);
        const Rect& s = region.source;
        word.box =
            Rect{toSource(l, s.left), toSource(t, s.top), std::min(s.right, toSource(r + region.scale - 1, s.left)),
                 std::min(s.bottom, toSource(b + region.scale - 1, s.top))};
        line->words.push_back(std::move(word));
    } while (it->Next(tesseract::RIL_WORD));
    std::erase_if(lines, [](const RecognizedLine& l) { return l.words.empty(); });
}

}  // namespace

TextResult RecognizeText(const PixelImage& image, const RecognizeOptions& options) {
    TextResult result;
    if (image.IsEmpty() || (image.Depth() != 24 && image.Depth() != 32)) {
        result.status = RecognizeStatus::kRefused;
        result.message = "text is read from 24- and 32-bit pictures only";
        return result;
    }
    if (!PixelCountAllowed(image.Width(), image.Height())) {
        result.status = RecognizeStatus::kRefused;
        result.message = PixelCountMessage(image.Width(), image.Height());
        return result;
    }
    const std::atomic<bool>* cancel = options.cancel;
    const auto cancelled = [cancel] { return cancel && cancel->load(); };
    const Rect whole{0, 0, image.Width(), image.Height()};
    const Rect area = options.area.IsEmpty() ? whole : options.area.Intersected(whole);
    const GreyImage grey = GreyOf(image, area);
    const std::vector<Rect> regions = FindTextRegions(grey);
    if (cancelled()) {
        result.status = RecognizeStatus::kCancelled;
        return result;
    }
    if (regions.empty()) return result;

    // Check the language before starting threads, so a missing one is one message.
    std::unique_ptr<EnginePool::Engine> first = Pool().Take(options.language, options.dataPath);
    if (!first) {
        result.status = RecognizeStatus::kRefused;
        result.message = "the text recognition language '" + options.language + "' is not installed";
        return result;
    }
    int threads = options.threads > 0 ? options.threads : int(std::max(1u, std::thread::hardware_concurrency()));
    threads = std::clamp(threads, 1, int(regions.size()));

    // Regions go out largest first, so no thread is left with a big one at the end.
    std::vector<size_t> order(regions.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return int64_t(regions[a].Width()) * regions[a].Height() > int64_t(regions[b].Width()) * regions[b].Height();
    });
    // Regions much taller than the usual one hold touching lines.
    std::vector<int> heights;
    for (const Rect& r : regions) heights.push_back(r.Height());
    std::nth_element(heights.begin(), heights.begin() + long(heights.size() / 2), heights.end());
    const int lineHeight = heights[heights.size() / 2];
    std::vector<std::vector<RecognizedLine>> found(regions.size());
    std::atomic<size_t> next{0};
    const uint64_t maxPixels = MaxPixelCount();
    const auto work = [&](std::unique_ptr<EnginePool::Engine> engine) {
        if (!engine) engine = Pool().Take(options.language, options.dataPath);
        if (!engine) return;
        for (size_t k; !cancelled() && (k = next++) < order.size();) {
            const size_t i = order[k];
            RecognizeRegion(*engine->api, PrepareRegion(grey, regions[i], maxPixels),
                            regions[i].Height() * 2 <= lineHeight * 3, cancel, found[i]);
        }
        Pool().Give(std::move(engine));
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(work, nullptr);
        } catch (const std::system_error&) {
            break;  // the threads that did start share the regions
        }
    }
    work(std::move(first));
    for (std::thread& t : helpers) t.join();
    if (cancelled()) {
        result.status = RecognizeStatus::kCancelled;
        return result;
    }
    for (std::vector<RecognizedLine>& lines : found)
        for (RecognizedLine& line : lines) {
            for (RecognizedWord& w : line.words)
                w.box = Rect{w.box.left + area.left, w.box.top + area.top, w.box.right + area.left,
                             w.box.bottom + area.top};
            line.box = line.words.front().box;
            for (const RecognizedWord& w : line.words)
                line.box = Rect{std::min(line.box.left, w.box.left), std::min(line.box.top, w.box.top),
                                std::max(line.box.right, w.box.right), std::max(line.box.bottom, w.box.bottom)};
            result.lines.push_back(std::move(line));
        }
    OrderLines(result.lines);
    return result;
}

std::vector<std::string> InstalledLanguages(const std::string& dataPath) {
    tesseract::TessBaseAPI api;
    std::vector<std::string> names;
    // An engine on any language lists what its data folder holds.
    std::vector<std::string> available;
    if (api.Init(dataPath.empty() ? nullptr : dataPath.c_str(), nullptr, tesseract::OEM_LSTM_ONLY) != 0) return names;
    api.GetAvailableLanguagesAsVector(&available);
    for (const std::string& name : available)
        if (name != "osd") names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace clipvane
