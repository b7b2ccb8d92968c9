#pragma once

// Draws a tree of image views with SDL's renderer, in a window or offscreen alike: each image
// stretched into its frame and transformed about the frame's centre, children in their parent's
// space. Budgets: a texture is made once per image per renderer, in software by decoding the
// picture's file straight into it, and not for a picture wholly under an opaque one drawn after
// it, which is not drawn either; opaque pictures are copied
// without blending (in software an opaque full-screen copy costs ~1.5 ms, a blended one ~15 ms);
// a perspective quad is cut into a grid, as SDL maps textures affinely per triangle.

#include "platform/core/SdlPointers.h"
#include "platform/core/Trace.h"
#include "platform/geometry/Geometry.h"
#include "platform/view/ColumnFit.h"

#include <functional>
#include <memory>
#include <unordered_map>

namespace torvane::platform {

class Image;
class ImageView;

class Renderer {
  public:
    // `renderer` is not owned and must outlive this object. `softwareSurface`, for a software
    // renderer, gives the surface it draws into now, so that see-through pictures are blended
    // onto it directly; without it they go through SDL's copy.
    Renderer(SDL_Renderer* renderer, Trace& trace, std::function<SDL_Surface*()> softwareSurface = {});
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Clears to black and draws `root` and its children as they are on screen at `time`, in the
    // column that `fit` places; a view that fills the sides also covers the drawable beside it.
    void draw(const ImageView& root, double time, const ColumnFit& fit);
    // The column at the drawable's left edge, `scale` pixels per point, nothing beside it.
    void draw(const ImageView& root, double time, float scale);

    // The texture of `image` on this renderer, made at first use; null when SDL refuses.
    SDL_Texture* texture(const std::shared_ptr<Image>& image);

    // Forgets every texture, to be made again at next use: after SDL_RENDER_TARGETS_RESET or
    // SDL_RENDER_DEVICE_RESET their contents or the textures themselves are gone.
    void forgetTextures() { m_textures.clear(); }
    // Textures made and not forgotten.
    [[nodiscard]] std::size_t textureCount() const { return m_textures.size(); }

    [[nodiscard]] SDL_Renderer* sdl() const { return m_renderer; }

  private:
    [[nodiscard]] TexturePointer makeTexture(Image& image);

    struct CachedTexture {
        std::weak_ptr<Image> image; // to notice an image freed and its address reused
        TexturePointer texture;
    };

    SDL_Renderer* m_renderer;
    Trace& m_trace;
    std::function<SDL_Surface*()> m_softwareSurface;
    bool m_software{false}; // its textures are pictures in memory
    std::unordered_map<const Image*, CachedTexture> m_textures;
};

// The side of the grid that a perspective quad is cut into.
inline constexpr int perspectiveGridSize = 12;

} // namespace torvane::platform
