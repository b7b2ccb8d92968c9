#include "platform/view/Renderer.h"

#include "platform/view/CutCopy.h"
#include "platform/view/Image.h"
#include "platform/view/ImageView.h"
#include "platform/view/StretchBlend.h"

#include <SDL.h>

#include <cmath>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace torvane::platform {

namespace {

// One level of the view tree between a view's own points and the screen: its frame in the
// parent's space and the transform it shows now.
struct Stage {
    Rect frame;
    Transform3D transform;
};

struct Mapped {
    float x{0};
    float y{0};
    bool visible{true}; // false when the point is behind the viewer
};

Mapped mapToScreen(std::span<const Stage> stages, float x, float y, const ColumnFit& fit) {
    for (auto stage = stages.rbegin(); stage != stages.rend(); ++stage) {
        float halfWidth = stage->frame.width / 2, halfHeight = stage->frame.height / 2;
        Point3D p = multiply(stage->transform, {x - halfWidth, y - halfHeight, 0, 1});
        if (!(p.w > 1e-6f))
            return {0, 0, false};
        x = p.x / p.w + stage->frame.x + halfWidth;
        y = p.y / p.w + stage->frame.y + halfHeight;
    }
    return {x * fit.scale + fit.left, y * fit.scale, true};
}

// Where a view's picture lands: its four corners on the output.
struct Corners {
    Mapped topLeft, topRight, bottomLeft, bottomRight;

    // Only moved and stretched: no turn, tilt or perspective.
    [[nodiscard]] bool flatAndUpright() const {
        return topLeft.y == topRight.y && topLeft.x == bottomLeft.x && topRight.x > topLeft.x &&
               bottomLeft.y > topLeft.y;
    }
};

// The innermost stage is the view's own.
Corners cornersOf(std::span<const Stage> stages, const ColumnFit& fit) {
    const Size size{stages.back().frame.width, stages.back().frame.height};
    return {mapToScreen(stages, 0, 0, fit), mapToScreen(stages, size.width, 0, fit),
            mapToScreen(stages, 0, size.height, fit), mapToScreen(stages, size.width, size.height, fit)};
}

SDL_Vertex vertex(const Mapped& at, float u, float v) {
    return SDL_Vertex{{at.x, at.y}, {255, 255, 255, 255}, {u, v}};
}

// The picture a software renderer draws into: its size, and the surface itself where pictures can
// be blended onto it directly (32-bit pixels as the textures hold them), else null.
struct SoftwareOutput {
    SDL_Point size{};
    SDL_Surface* surface{nullptr};
};

// A see-through texture stretched straight onto the software output (StretchBlend.h), after what
// SDL has queued before it. False, with nothing drawn, where the texture's pixels cannot be had.
bool stretchBlendOnto(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_Rect& target,
                      SDL_Surface& output) {
    Uint32 format = 0;
    int width = 0, height = 0;
    if (SDL_QueryTexture(texture, &format, nullptr, &width, &height) != 0 ||
        format != SDL_PIXELFORMAT_ARGB8888)
        return false;
    SDL_RenderFlush(renderer);
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) != 0)
        return false;
    if (SDL_MUSTLOCK(&output) && SDL_LockSurface(&output) != 0) {
        SDL_UnlockTexture(texture);
        return false;
    }
    stretchBlend({pixels, width, height, pitch}, target, {output.pixels, output.w, output.h, output.pitch});
    if (SDL_MUSTLOCK(&output))
        SDL_UnlockSurface(&output);
    SDL_UnlockTexture(texture);
    return true;
}

// A plain stretched copy. In software (`software`), a see-through one is blended in one pass where
// it can be, and any other is cut at the output's edges first when it reaches past them
// (CutCopy.h): either way SDL makes no scratch picture for it.
void copyStretched(SDL_Renderer* renderer, SDL_Texture* texture, const SDL_FRect& target,
                   const SoftwareOutput* software) {
    int width = 0, height = 0;
    SDL_BlendMode blending = SDL_BLENDMODE_NONE;
    if (software && SDL_QueryTexture(texture, nullptr, nullptr, &width, &height) == 0 &&
        SDL_GetTextureBlendMode(texture, &blending) == 0) {
        // Whole pixels, as SDL's software renderer takes the rectangle.
        const SDL_Rect pixels{int(target.x), int(target.y), int(target.w), int(target.h)};
        const bool stretched = width != pixels.w || height != pixels.h;
        if (stretched && blending == SDL_BLENDMODE_BLEND && software->surface &&
            stretchBlendOnto(renderer, texture, pixels, *software->surface))
            return;
        const bool pastAnEdge = pixels.x < 0 || pixels.y < 0 || pixels.x + pixels.w > software->size.x ||
                                pixels.y + pixels.h > software->size.y;
        if (stretched && pastAnEdge) {
            copyCutAtEdges(renderer, texture, pixels, software->size);
            return;
        }
    }
    SDL_RenderCopyF(renderer, texture, nullptr, &target);
}

void drawQuad(SDL_Renderer* renderer, SDL_Texture* texture, std::span<const Stage> stages,
              const Corners& corners, const ColumnFit& fit, bool perspective,
              const SoftwareOutput* software) {
    const int cells = perspective ? perspectiveGridSize : 1;
    const auto& [topLeft, topRight, bottomLeft, bottomRight] = corners;
    if (!perspective && corners.flatAndUpright()) {
        // The plain copy, the fastest path in software.
        SDL_FRect target{topLeft.x, topLeft.y, topRight.x - topLeft.x, bottomLeft.y - topLeft.y};
        copyStretched(renderer, texture, target, software);
        return;
    }
    std::vector<SDL_Vertex> vertices;
    vertices.reserve(std::size_t(cells + 1) * (cells + 1));
    if (perspective) {
        const Size size{stages.back().frame.width, stages.back().frame.height};
        for (int row = 0; row <= cells; ++row)
            for (int column = 0; column <= cells; ++column) {
                float u = float(column) / cells, v = float(row) / cells;
                Mapped at = mapToScreen(stages, u * size.width, v * size.height, fit);
                if (!at.visible)
                    return; // part of it lies behind the viewer: not drawn
                vertices.push_back(vertex(at, u, v));
            }
    } else {
        vertices = {vertex(topLeft, 0, 0), vertex(topRight, 1, 0), vertex(bottomLeft, 0, 1),
                    vertex(bottomRight, 1, 1)};
    }
    std::vector<int> indices;
    indices.reserve(std::size_t(cells) * cells * 6);
    for (int row = 0; row < cells; ++row)
        for (int column = 0; column < cells; ++column) {
            int first = row * (cells + 1) + column;
            int below = first + cells + 1;
            indices.insert(indices.end(), {first, first + 1, below, first + 1, below + 1, below});
        }
    SDL_RenderGeometry(renderer, texture, vertices.data(), int(vertices.size()), indices.data(),
                       int(indices.size()));
}

// The picture's outermost pixel columns stretched from the view's sides to the drawable's edges,
// while the view lies flat and upright (a tilted view has no straight sides to continue).
void drawSides(SDL_Renderer* renderer, SDL_Texture* texture, const Corners& corners, const ColumnFit& fit) {
    if (!(fit.pixels.width > 0))
        return;
    const auto& [topLeft, topRight, bottomLeft, bottomRight] = corners;
    constexpr float straight = 0.5f; // pixels
    auto near = [](float a, float b) { return std::fabs(a - b) <= straight; };
    if (!topLeft.visible || !bottomRight.visible || !near(topLeft.y, topRight.y) ||
        !near(bottomLeft.y, bottomRight.y) || !near(topLeft.x, bottomLeft.x) ||
        !near(topRight.x, bottomRight.x) || !(topRight.x > topLeft.x) || !(bottomLeft.y > topLeft.y))
        return;
    int textureWidth = 0, textureHeight = 0;
    if (SDL_QueryTexture(texture, nullptr, nullptr, &textureWidth, &textureHeight) != 0 || textureWidth <= 0)
        return;
    const float height = bottomLeft.y - topLeft.y;
    if (topLeft.x > 0) {
        SDL_Rect edge{0, 0, 1, textureHeight};
        SDL_FRect side{0, topLeft.y, topLeft.x, height};
        SDL_RenderCopyF(renderer, texture, &edge, &side);
    }
    if (topRight.x < fit.pixels.width) {
        SDL_Rect edge{textureWidth - 1, 0, 1, textureHeight};
        SDL_FRect side{topRight.x, topLeft.y, fit.pixels.width - topRight.x, height};
        SDL_RenderCopyF(renderer, texture, &edge, &side);
    }
}

// The output pixels a view may touch, in whole pixels (empty when it touches none that can be
// told): its corners' bounds, the drawable's whole width for a view that fills the sides.
SDL_Rect reach(const Corners& corners, bool fillsSides, SDL_Point output) {
    float left = corners.topLeft.x, right = left, top = corners.topLeft.y, bottom = top;
    for (const Mapped& corner :
         {corners.topLeft, corners.topRight, corners.bottomLeft, corners.bottomRight}) {
        if (!corner.visible)
            return {};
        left = std::min(left, corner.x);
        right = std::max(right, corner.x);
        top = std::min(top, corner.y);
        bottom = std::max(bottom, corner.y);
    }
    if (fillsSides)
        left = 0, right = float(output.x);
    const int x0 = std::max(0, int(std::floor(left))), x1 = std::min(output.x, int(std::ceil(right)));
    const int y0 = std::max(0, int(std::floor(top))), y1 = std::min(output.y, int(std::ceil(bottom)));
    return x1 > x0 && y1 > y0 ? SDL_Rect{x0, y0, x1 - x0, y1 - y0} : SDL_Rect{};
}

// The output pixels an opaque view surely paints: the copy SDL makes of it when it lies flat
// and upright (whole pixels, as SDL takes the rectangle), the drawable's whole width for one that
// fills the sides where drawSides continues them; nothing for any other.
SDL_Rect paintedSurely(const Corners& corners, bool perspective, bool fillsSides, const ColumnFit& fit,
                       SDL_Point output) {
    if (perspective || !corners.flatAndUpright())
        return {};
    const auto& [topLeft, topRight, bottomLeft, bottomRight] = corners;
    const bool sides = fillsSides && fit.pixels.width >= float(output.x);
    const int y0 = int(topLeft.y), y1 = y0 + int(bottomLeft.y - topLeft.y);
    const int x0 = sides ? 0 : int(topLeft.x);
    const int x1 = sides ? output.x : x0 + int(topRight.x - topLeft.x);
    return {x0, y0, x1 - x0, y1 - y0};
}

// A view to draw in this frame: its levels (a range of the frame's stages) and where it lands.
struct Placed {
    const ImageView* view;
    std::size_t firstStage;
    std::size_t stageCount;
    bool perspective;
    Corners corners;
    SDL_Rect reach;   // what it may touch
    SDL_Rect painted; // what it surely covers, when it is opaque
};

} // namespace

Renderer::Renderer(SDL_Renderer* renderer, Trace& trace, std::function<SDL_Surface*()> softwareSurface)
    : m_renderer(renderer), m_trace(trace), m_softwareSurface(std::move(softwareSurface)) {
    SDL_RendererInfo info{};
    m_software = SDL_GetRendererInfo(renderer, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE) != 0;
}

TexturePointer Renderer::makeTexture(Image& image) {
    if (m_software) {
        // A software texture is a picture in memory that SDL locks without a copy: a file is
        // decoded straight into it, and see-through pictures are blended from it directly.
        SDL_Surface* held = image.holdsPixels() ? image.surface(m_trace) : nullptr;
        const int width = held ? held->w : image.pixelWidth(), height = held ? held->h : image.pixelHeight();
        TexturePointer texture(SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_BGRA32,
                                                 SDL_TEXTUREACCESS_STREAMING, width, height));
        void* pixels = nullptr;
        int pitch = 0;
        if (!texture || SDL_LockTexture(texture.get(), nullptr, &pixels, &pitch) != 0)
            return nullptr;
        const bool made = held ? SDL_ConvertPixels(width, height, held->format->format, held->pixels,
                                                   held->pitch, SDL_PIXELFORMAT_BGRA32, pixels, pitch) == 0
                               : image.decodeInto(pixels, pitch, m_trace);
        SDL_UnlockTexture(texture.get());
        if (!made)
            return nullptr;
        if (held)
            image.letPixelsGo();
        return texture;
    }
    SDL_Surface* pixels = image.surface(m_trace);
    TexturePointer texture(pixels ? SDL_CreateTextureFromSurface(m_renderer, pixels) : nullptr);
    if (texture)
        image.letPixelsGo();
    return texture;
}

SDL_Texture* Renderer::texture(const std::shared_ptr<Image>& image) {
    if (!image)
        return nullptr;
    auto found = m_textures.find(image.get());
    if (found != m_textures.end()) {
        if (found->second.image.lock() == image)
            return found->second.texture.get();
        m_textures.erase(found);
    }
    TexturePointer texture = makeTexture(*image);
    if (!texture) {
        m_trace.log("render: cannot make a texture of " + image->fileName() + ": " + SDL_GetError());
    } else {
        SDL_SetTextureBlendMode(texture.get(), image->isOpaque() ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
        // Linear filtering where the renderer has it: the pictures are scaled in the opening zoom.
        SDL_SetTextureScaleMode(texture.get(), SDL_ScaleModeLinear);
    }
    SDL_Texture* drawn = texture.get();
    m_textures[image.get()] = {image, std::move(texture)};
    return drawn;
}

void Renderer::draw(const ImageView& root, double time, float scale) {
    draw(root, time, ColumnFit{scale, 0, {}, {}});
}

void Renderer::draw(const ImageView& root, double time, const ColumnFit& fit) {
    SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
    SDL_RenderClear(m_renderer);

    SDL_Point output{};
    if (SDL_GetRendererOutputSize(m_renderer, &output.x, &output.y) != 0)
        output = {};
    std::optional<SoftwareOutput> software;
    if (m_software && output.x > 0) {
        SDL_Surface* surface = m_softwareSurface ? m_softwareSurface() : nullptr;
        const bool blendable = surface && surface->w == output.x && surface->h == output.y &&
                               (surface->format->format == SDL_PIXELFORMAT_ARGB8888 ||
                                surface->format->format == SDL_PIXELFORMAT_RGB888);
        software = SoftwareOutput{output, blendable ? surface : nullptr};
    }
    // First where every view with a picture lies, then the drawing: a view wholly under an opaque
    // one drawn after it is neither drawn nor made into a texture. (In the first frame the lens
    // lies under the tray: its screenful is made a frame later, when the tray has turned away.)
    // Each placed view's levels are the path to it, kept one after another in `levels`.
    std::vector<Stage> path, levels;
    std::vector<Placed> placed;
    auto place = [&](auto& self, const ImageView& view) -> void {
        if (view.isHidden())
            return;
        path.push_back({view.frame(), view.presentationTransform(time)});
        if (const auto& image = view.image()) {
            bool perspective = false;
            for (const auto& level : path)
                perspective = perspective || !isAffine2D(level.transform);
            const Corners corners = cornersOf(path, fit);
            placed.push_back({&view, levels.size(), path.size(), perspective, corners,
                              reach(corners, view.fillsSides(), output),
                              image->isOpaque()
                                  ? paintedSurely(corners, perspective, view.fillsSides(), fit, output)
                                  : SDL_Rect{}});
            levels.insert(levels.end(), path.begin(), path.end());
        }
        for (const auto& child : view.subviews())
            self(self, *child);
        path.pop_back();
    };
    place(place, root);

    auto coveredLater = [&](std::size_t i) {
        SDL_Rect common{};
        for (std::size_t j = i + 1; j < placed.size(); ++j)
            if (SDL_IntersectRect(&placed[j].painted, &placed[i].reach, &common) &&
                SDL_RectEquals(&common, &placed[i].reach) && texture(placed[j].view->image()))
                return true;
        return false;
    };
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const Placed& view = placed[i];
        if (coveredLater(i))
            continue;
        if (SDL_Texture* image = texture(view.view->image())) {
            if (view.view->fillsSides())
                drawSides(m_renderer, image, view.corners, fit);
            drawQuad(m_renderer, image,
                     std::span<const Stage>(levels).subspan(view.firstStage, view.stageCount), view.corners,
                     fit, view.perspective, software ? &*software : nullptr);
        }
    }
}

} // namespace torvane::platform
