// Built-in procedural layer sources, animated by the frame at which the layer is sampled.
#pragma once

#include <optional>
#include <string_view>

#include "AE_Effect.h"
#include "pixels/Worlds.h"

namespace vorlane::host {

enum class SpriteKind {
    Blob,     // a soft disc whose radius breathes and whose hue turns with the frame
    Star,     // a five-pointed star turning 6 degrees per frame
    Arrow,    // an arrow pointing along +x, so that orientation and flips can be read off a picture
    Counter,  // the frame number in large digits on a dark plate
};

// "blob", "star", "arrow", "counter".
std::optional<SpriteKind> sprite_kind_named(std::string_view name);

// Draws the sprite over the whole world (which it clears first), with straight alpha. The same kind, frame and
// size always give the same pixels.
void draw_sprite(SpriteKind kind, A_long frame, PF_EffectWorld* world);

// A new world of the given size and format holding the sprite. Throws as WorldStorage does.
WorldStorage make_sprite(SpriteKind kind, A_long frame, A_long width, A_long height, PF_PixelFormat format);

}  // namespace vorlane::host
