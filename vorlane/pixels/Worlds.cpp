#include "pixels/Worlds.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <stdexcept>
#include <unordered_map>
#include <utility>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "pixels/PixelTraits.h"
#include "pixels/Resampler.h"

namespace vorlane::host {

namespace {

bool is_deep(const PF_EffectWorld& world) {
    return (world.world_flags & PF_WorldFlag_DEEP) != 0;
}

std::size_t pixel_size(const PF_EffectWorld& world) {
    return is_deep(world) ? sizeof(PF_Pixel16) : sizeof(PF_Pixel);
}

PF_Rect whole(const PF_EffectWorld& world) {
    return {0, 0, world.width, world.height};
}

bool is_empty(const PF_Rect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

bool lies_within(const PF_Rect& r, const PF_EffectWorld& world) {
    return r.left >= 0 && r.top >= 0 && r.right <= world.width && r.bottom <= world.height;
}

PF_Rect clipped(const PF_Rect* rect, const PF_EffectWorld& world) {
    if (!rect) {
        return whole(world);
    }
    return {std::max<A_long>(rect->left, 0), std::max<A_long>(rect->top, 0), std::min(rect->right, world.width),
            std::min(rect->bottom, world.height)};
}

template <class Pixel>
void fill_rect(PF_EffectWorld& world, const PF_Rect& r, const Pixel& value) {
    for (A_long y = r.top; y < r.bottom; ++y) {
        Pixel* row = pixel_row<Pixel>(world, y);
        std::fill(row + r.left, row + r.right, value);
    }
}

template <class Dst, class Src>
void copy_same_size(const PF_EffectWorld& src, const PF_Rect& s, PF_EffectWorld& dst, const PF_Rect& d) {
    for (A_long y = 0; y < d.bottom - d.top; ++y) {
        const Src* in = pixel_row<Src>(src, s.top + y) + s.left;
        Dst* out = pixel_row<Dst>(dst, d.top + y) + d.left;
        for (A_long x = 0; x < d.right - d.left; ++x) {
            out[x] = convert_pixel<Dst>(in[x]);
        }
    }
}

// The source pixel whose span contains the destination pixel's centre, in exact integer arithmetic.
A_long nearest_index(A_long i, A_long src_size, A_long dst_size) {
    return A_long(((2 * std::int64_t(i) + 1) * src_size) / (2 * std::int64_t(dst_size)));
}

template <class Dst, class Src>
void copy_nearest(const PF_EffectWorld& src, const PF_Rect& s, PF_EffectWorld& dst, const PF_Rect& d) {
    const A_long sw = s.right - s.left, sh = s.bottom - s.top, dw = d.right - d.left, dh = d.bottom - d.top;
    for (A_long y = 0; y < dh; ++y) {
        const Src* in = pixel_row<Src>(src, s.top + nearest_index(y, sh, dh)) + s.left;
        Dst* out = pixel_row<Dst>(dst, d.top + y) + d.left;
        for (A_long x = 0; x < dw; ++x) {
            out[x] = convert_pixel<Dst>(in[nearest_index(x, sw, dw)]);
        }
    }
}

template <class Dst>
void copy_resampled(const PF_EffectWorld& src, const PF_Rect& s, PF_EffectWorld& dst, const PF_Rect& d) {
    const PF_EffectWorld view = sub_world(src, s);
    const double scale_x = double(s.right - s.left) / double(d.right - d.left);
    const double scale_y = double(s.bottom - s.top) / double(d.bottom - d.top);
    const SamplingPlan plan = plan_sampling(scale_x, 0.0, 0.0, scale_y, true);
    const auto levels = build_levels(premultiplied_image(view, true, EdgeMode::Clamp), plan.level);
    for (A_long y = d.top; y < d.bottom; ++y) {
        Dst* out = pixel_row<Dst>(dst, y);
        const double v = (double(y - d.top) + 0.5) * scale_y;
        for (A_long x = d.left; x < d.right; ++x) {
            const Premul p = sample_footprint(levels, plan, (double(x - d.left) + 0.5) * scale_x, v);
            const float k = p.a > 0.0f ? 1.0f / p.a : 0.0f;
            out[x] = {unit_to_channel<Dst>(p.a), unit_to_channel<Dst>(p.r * k), unit_to_channel<Dst>(p.g * k),
                      unit_to_channel<Dst>(p.b * k)};
        }
    }
}

template <class Dst, class Src>
void copy_pixels(const PF_EffectWorld& src, const PF_Rect& s, PF_EffectWorld& dst, const PF_Rect& d,
                 CopyFilter filter) {
    if (s.right - s.left == d.right - d.left && s.bottom - s.top == d.bottom - d.top) {
        copy_same_size<Dst, Src>(src, s, dst, d);
    } else if (filter == CopyFilter::Nearest) {
        copy_nearest<Dst, Src>(src, s, dst, d);
    } else {
        copy_resampled<Dst>(src, s, dst, d);
    }
}

// ---- Guard pages ---------------------------------------------------------------------------------------------

std::atomic<bool> guard_pages_on{false};

struct GuardedBlock {
    void* base = nullptr;
    std::size_t length = 0;
};

// Guarded blocks by the pixel pointer handed out, so release_world knows how each world was made.
std::mutex guarded_mutex;
std::unordered_map<const void*, GuardedBlock>& guarded_blocks() {
    static std::unordered_map<const void*, GuardedBlock> blocks;
    return blocks;
}

std::size_t page_size() {
#ifdef _WIN32
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return std::size_t(info.dwPageSize);
#else
    return std::size_t(sysconf(_SC_PAGESIZE));
#endif
}

// `bytes` of zeroed memory whose end touches an inaccessible page; null when the memory cannot be had.
void* allocate_guarded(std::size_t bytes) {
    const std::size_t page = page_size();
    const std::size_t usable = (bytes + page - 1) / page * page;
    const std::size_t length = usable + page;
#ifdef _WIN32
    char* base = static_cast<char*>(VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!base) {
        return nullptr;
    }
    DWORD old = 0;
    if (!VirtualProtect(base + usable, page, PAGE_NOACCESS, &old)) {
        VirtualFree(base, 0, MEM_RELEASE);
        return nullptr;
    }
#else
    void* mapped = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        return nullptr;
    }
    char* base = static_cast<char*>(mapped);
    if (mprotect(base + usable, page, PROT_NONE) != 0) {
        munmap(base, length);
        return nullptr;
    }
#endif
    void* data = base + (usable - bytes);
    try {
        std::lock_guard lock(guarded_mutex);
        guarded_blocks()[data] = GuardedBlock{base, length};
    } catch (const std::bad_alloc&) {
#ifdef _WIN32
        VirtualFree(base, 0, MEM_RELEASE);
#else
        munmap(base, length);
#endif
        return nullptr;
    }
    return data;
}

// `bytes` of zeroed memory, freed with std::free. A frame-sized world is laid on huge pages where the system
// offers them: a fresh frame's ordinary pages, faulted in one by one as it is first filled, cost more than the
// fill itself.
void* allocate_zeroed(std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::size_t kHugePage = std::size_t(2) << 20;
    if (bytes >= kHugePage) {
        const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        void* memory = nullptr;
        if (posix_memalign(&memory, kHugePage, rounded) != 0) {
            return nullptr;
        }
        madvise(memory, rounded, MADV_HUGEPAGE);  // only a hint: without it the pages stay ordinary ones
        std::memset(memory, 0, bytes);
        return memory;
    }
#endif
    return std::calloc(1, bytes);
}

// Frees a guarded block; false when `data` is not one.
bool release_guarded(const void* data) {
    GuardedBlock block;
    {
        std::lock_guard lock(guarded_mutex);
        const auto it = guarded_blocks().find(data);
        if (it == guarded_blocks().end()) {
            return false;
        }
        block = it->second;
        guarded_blocks().erase(it);
    }
#ifdef _WIN32
    VirtualFree(block.base, 0, MEM_RELEASE);
#else
    munmap(block.base, block.length);
#endif
    return true;
}

}  // namespace

void set_world_guard_pages(bool on) {
    guard_pages_on.store(on);
}

bool world_guard_pages() {
    return guard_pages_on.load();
}

PF_Err allocate_world(A_long width, A_long height, PF_PixelFormat format, A_long row_padding, PF_EffectWorld* world) {
    if (!world || width < 1 || height < 1 || row_padding < 0 ||
        (format != PF_PixelFormat_ARGB32 && format != PF_PixelFormat_ARGB64)) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    const bool deep = format == PF_PixelFormat_ARGB64;
    const bool guarded = world_guard_pages();
    std::uint64_t rowbytes =
        std::uint64_t(width) * (deep ? sizeof(PF_Pixel16) : sizeof(PF_Pixel)) + std::uint64_t(row_padding);
    if (guarded) {
        // Padded rows catch tight-row assumptions; a multiple of 8 keeps every row aligned for 16-bit pixels.
        rowbytes = (rowbytes + 16 + 7) / 8 * 8;
    }
    if (rowbytes > std::uint64_t(std::numeric_limits<A_long>::max()) ||
        rowbytes * std::uint64_t(height) > std::uint64_t(std::numeric_limits<std::ptrdiff_t>::max())) {
        return PF_Err_OUT_OF_MEMORY;
    }
    void* pixels = guarded ? allocate_guarded(std::size_t(height) * std::size_t(rowbytes))
                           : allocate_zeroed(std::size_t(height) * std::size_t(rowbytes));
    if (!pixels) {
        return PF_Err_OUT_OF_MEMORY;
    }
    *world = PF_EffectWorld{};
    world->world_flags = PF_WorldFlag_WRITEABLE | (deep ? PF_WorldFlag_DEEP : 0);
    world->data = static_cast<PF_PixelPtr>(pixels);
    world->rowbytes = A_long(rowbytes);
    world->width = width;
    world->height = height;
    world->extent_hint = {0, 0, width, height};
    world->pix_aspect_ratio = {1, 1};
    return PF_Err_NONE;
}

void release_world(PF_EffectWorld* world) {
    if (world) {
        if (!release_guarded(world->data)) {
            std::free(world->data);
        }
        *world = PF_EffectWorld{};
    }
}

WorldStorage::WorldStorage(A_long width, A_long height, PF_PixelFormat format, A_long row_padding) {
    const PF_Err err = allocate_world(width, height, format, row_padding, &world_);
    if (err == PF_Err_OUT_OF_MEMORY) {
        throw std::bad_alloc();
    }
    if (err != PF_Err_NONE) {
        throw std::invalid_argument("a world needs a size of at least 1 x 1 and an 8- or 16-bit ARGB format");
    }
}

WorldStorage::WorldStorage(WorldStorage&& other) noexcept : world_(std::exchange(other.world_, PF_EffectWorld{})) {}

WorldStorage& WorldStorage::operator=(WorldStorage&& other) noexcept {
    if (this != &other) {
        release_world(&world_);
        world_ = std::exchange(other.world_, PF_EffectWorld{});
    }
    return *this;
}

WorldStorage::~WorldStorage() {
    release_world(&world_);
}

PF_PixelFormat pixel_format_of(const PF_EffectWorld& world) {
    return is_deep(world) ? PF_PixelFormat_ARGB64 : PF_PixelFormat_ARGB32;
}

bool is_valid_world(const PF_EffectWorld& world) {
    return world.data && world.width > 0 && world.height > 0 &&
           std::size_t(world.rowbytes) >= std::size_t(world.width) * pixel_size(world) && world.rowbytes > 0;
}

PF_EffectWorld sub_world(const PF_EffectWorld& world, const PF_Rect& rect) {
    PF_EffectWorld view = world;
    view.data =
        reinterpret_cast<PF_PixelPtr>(reinterpret_cast<char*>(world.data) + std::ptrdiff_t(rect.top) * world.rowbytes +
                                      std::ptrdiff_t(rect.left) * std::ptrdiff_t(pixel_size(world)));
    view.width = rect.right - rect.left;
    view.height = rect.bottom - rect.top;
    view.extent_hint = {0, 0, view.width, view.height};
    return view;
}

PF_Err fill_world(PF_EffectWorld* world, const PF_Pixel* color, const PF_Rect* rect) {
    const PF_Pixel value = color ? *color : PF_Pixel{0, 0, 0, 0};
    if (world && is_deep(*world)) {
        const PF_Pixel16 deep = pixel_8_to_16(value);
        return fill_world16(world, &deep, rect);
    }
    if (!world || !is_valid_world(*world)) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    const PF_Rect r = clipped(rect, *world);
    if (!is_empty(r)) {
        fill_rect(*world, r, value);
    }
    return PF_Err_NONE;
}

PF_Err fill_world16(PF_EffectWorld* world, const PF_Pixel16* color, const PF_Rect* rect) {
    if (!world || !is_valid_world(*world)) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    const PF_Pixel16 value = color ? *color : PF_Pixel16{0, 0, 0, 0};
    const PF_Rect r = clipped(rect, *world);
    if (is_empty(r)) {
        return PF_Err_NONE;
    }
    if (is_deep(*world)) {
        fill_rect(*world, r, value);
    } else {
        fill_rect(*world, r, pixel_16_to_8(value));
    }
    return PF_Err_NONE;
}

PF_Err copy_world(const PF_EffectWorld& src, PF_EffectWorld* dst, const PF_Rect* src_rect, const PF_Rect* dst_rect,
                  CopyFilter filter) {
    if (!dst || !is_valid_world(src) || !is_valid_world(*dst)) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    const PF_Rect s = src_rect ? *src_rect : whole(src);
    const PF_Rect d = dst_rect ? *dst_rect : whole(*dst);
    if (is_empty(s) || is_empty(d)) {
        return PF_Err_NONE;
    }
    if (!lies_within(s, src) || !lies_within(d, *dst)) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (is_deep(*dst)) {
        is_deep(src) ? copy_pixels<PF_Pixel16, PF_Pixel16>(src, s, *dst, d, filter)
                     : copy_pixels<PF_Pixel16, PF_Pixel>(src, s, *dst, d, filter);
    } else {
        is_deep(src) ? copy_pixels<PF_Pixel, PF_Pixel16>(src, s, *dst, d, filter)
                     : copy_pixels<PF_Pixel, PF_Pixel>(src, s, *dst, d, filter);
    }
    return PF_Err_NONE;
}

}  // namespace vorlane::host
