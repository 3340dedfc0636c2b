#include "imagefile/IsolatedDecoder.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "imagefile/FreeImageDecode.h"
#include "imagefile/Limits.h"

#if defined(__SANITIZE_ADDRESS__)
#define CLIPVANE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CLIPVANE_ASAN 1
#endif
#endif

namespace clipvane {

namespace {

// Pipe records: a frame is kFrameTag, the 40-byte header, three masks, the
// frame delay, the palette entry count, the palette and the stored pixel rows;
// the stream ends with kEndTag and the decoder's result.
constexpr uint32_t kFrameTag = 0x46525643;  // "CVRF"
constexpr uint32_t kEndTag = 0x444E4543;    // "CEND"

struct FrameRecord {
    BitmapInfoHeader header;
    uint32_t masks[3];
    int32_t frameDelay;
    uint32_t paletteCount;
};

std::mutex& LimitsMutex() {
    static std::mutex m;
    return m;
}
DecoderLimits& Limits() {
    static DecoderLimits limits;
    return limits;
}
std::atomic<void (*)()> g_childHook{nullptr};

// ---- child ---------------------------------------------------------------

bool WriteAll(int fd, const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    while (size) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

#ifndef CLIPVANE_ASAN
// Address space in use now, in bytes (the child's limit is set above it).
uint64_t AddressSpaceInUse() {
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    unsigned long pages = 0;
    const int got = std::fscanf(f, "%lu", &pages);
    std::fclose(f);
    return got == 1 ? uint64_t(pages) * uint64_t(sysconf(_SC_PAGESIZE)) : 0;
}
#endif

[[noreturn]] void RunChild(int fd, const char* path, const uint8_t* bytes, size_t size, uint64_t memoryBytes,
                           int maxFrames) {
    signal(SIGPIPE, SIG_IGN);
    // Library warnings (libtiff and others) are of no use to anyone here.
    const int devnull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devnull >= 0) dup2(devnull, STDERR_FILENO);
#ifndef CLIPVANE_ASAN
    const uint64_t inUse = AddressSpaceInUse();
    if (inUse) {
        struct rlimit limit;
        limit.rlim_cur = limit.rlim_max = rlim_t(inUse + memoryBytes);
        setrlimit(RLIMIT_AS, &limit);
    }
#else
    (void)memoryBytes;
#endif
    if (void (*hook)() = g_childHook.load()) hook();

    int sent = 0;
    const bool ok = DecodeWithFreeImage(path, bytes, size, [fd, maxFrames, &sent](const DecodedFrame& frame) {
        FrameRecord r{};
        r.header = frame.header;
        std::memcpy(r.masks, frame.masks, sizeof r.masks);
        r.frameDelay = frame.frameDelay;
        r.paletteCount = uint32_t(frame.palette.size());
        const bool written = WriteAll(fd, &kFrameTag, 4) && WriteAll(fd, &r, sizeof r) &&
                             WriteAll(fd, frame.palette.data(), r.paletteCount * sizeof(RgbQuad)) &&
                             WriteAll(fd, frame.bits, frame.byteCount);
        // Stop once the frames asked for are out: the rest is not decoded.
        return written && (maxFrames <= 0 || ++sent < maxFrames);
    });
    const uint32_t end[2] = {kEndTag, ok ? 1u : 0u};
    WriteAll(fd, end, sizeof end);
    _exit(0);
}

// ---- parent --------------------------------------------------------------

int64_t NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

class PipeReader {
public:
    PipeReader(int fd, int64_t deadline) : fd_(fd), deadline_(deadline) {}

    // Reads exactly `size` bytes before the deadline; false on end of data,
    // error or time-out.
    bool Read(void* data, size_t size) {
        uint8_t* p = static_cast<uint8_t*>(data);
        while (size) {
            const int64_t left = deadline_ - NowMs();
            if (left <= 0) return false;
            pollfd pfd{fd_, POLLIN, 0};
            const int r = poll(&pfd, 1, int(left > 1000 ? 1000 : left));
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) return false;
            if (r == 0) continue;
            const ssize_t n = read(fd_, p, size);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n <= 0) return false;
            p += n;
            size -= size_t(n);
        }
        return true;
    }

private:
    int fd_;
    int64_t deadline_;
};

enum class Outcome { kFailed, kComplete, kEnough };

// Reads the child's records: kFailed on anything malformed or missing,
// kEnough when the next frame would pass the limit on all frames together
// (the frames so far are kept, the rest is not read).
Outcome ReadFrames(PipeReader& in, const DecoderLimits& limits, std::deque<std::unique_ptr<PixelImage>>& out) {
    uint64_t total = 0;
    for (;;) {
        uint32_t tag;
        if (!in.Read(&tag, 4)) return Outcome::kFailed;
        if (tag == kEndTag) {
            uint32_t result;
            return in.Read(&result, 4) && result == 1 ? Outcome::kComplete : Outcome::kFailed;
        }
        if (tag != kFrameTag) return Outcome::kFailed;
        FrameRecord r;
        if (!in.Read(&r, sizeof r)) return Outcome::kFailed;
        const BitmapInfoHeader& h = r.header;
        if (!PixelStorageAllowed(h.biWidth, h.biHeight, h.biBitCount)) return Outcome::kFailed;
        const uint64_t bytes = uint64_t(StrideFor(h.biWidth, h.biBitCount)) * uint64_t(h.biHeight);
        total += bytes;
        if (total > limits.totalFrameBytes) return out.empty() ? Outcome::kFailed : Outcome::kEnough;
        const uint32_t expected = h.biBitCount <= 8 ? (1u << h.biBitCount) : 0u;
        if (r.paletteCount != expected) return Outcome::kFailed;
        auto frame = std::make_unique<PixelImage>();
        if (!frame->CreateFromHeader(h, r.masks) || frame->ByteCount() != bytes) return Outcome::kFailed;
        if (expected) {
            RgbQuad palette[256];
            if (!in.Read(palette, expected * sizeof(RgbQuad))) return Outcome::kFailed;
            frame->SetPalette(0, int(expected), palette);
        }
        if (!in.Read(frame->Bits(), bytes)) return Outcome::kFailed;
        frame->frameDelay = r.frameDelay;
        out.push_back(std::move(frame));
    }
}

}  // namespace

DecoderLimits GetDecoderLimits() {
    std::lock_guard lock(LimitsMutex());
    return Limits();
}

void SetDecoderLimits(const DecoderLimits& limits) {
    std::lock_guard lock(LimitsMutex());
    Limits() = limits;
}

void SetDecoderChildHook(void (*hook)()) { g_childHook.store(hook); }

bool DecodeIsolated(const char* path, const uint8_t* bytes, size_t size,
                    std::deque<std::unique_ptr<PixelImage>>& frames, int maxFrames) {
    const DecoderLimits limits = GetDecoderLimits();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    fcntl(fds[0], F_SETPIPE_SZ, 1 << 20);
    const int64_t deadline = NowMs() + limits.timeoutMs;
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        close(fds[0]);
        RunChild(fds[1], path, bytes, size, limits.memoryBytes, maxFrames);
    }
    close(fds[1]);

    std::deque<std::unique_ptr<PixelImage>> decoded;
    PipeReader reader(fds[0], deadline);
    const Outcome outcome = ReadFrames(reader, limits, decoded);
    close(fds[0]);
    // A child that finished is reaped; any other is ended first.
    const bool complete = outcome == Outcome::kComplete;
    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(pid, &status, complete ? 0 : WNOHANG);
    } while (waited < 0 && errno == EINTR);
    if (waited == 0) {
        kill(pid, SIGKILL);
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    }
    // Whole frames read before a failure are kept: a long animation cut
    // short by the time limit still opens at its first frame.
    if (decoded.empty()) return false;
    for (auto& f : decoded) frames.push_back(std::move(f));
    return true;
}

}  // namespace clipvane
