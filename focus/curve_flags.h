// The warnings a folder's focus curves can raise, as a small typed set. Their names and meanings
// are text, written where a file or a message is (formats/flag_text.h).
#pragma once

#include <cstdint>

namespace bestfocus {

enum class Flag : std::uint8_t {
    edge,       // the pick is the first or last image: focus may lie outside the stack
    flat,       // no image scores clearly above the stack's median
    two_peaks,  // a second peak rises at least half as high as the best
    disagree,   // the measures pick images more than one apart
};

// Every flag, in the order files and pages list them.
constexpr Flag kAllFlags[] = {Flag::edge, Flag::flat, Flag::two_peaks, Flag::disagree};

class FlagSet {
  public:
    constexpr FlagSet() = default;

    constexpr bool has(Flag flag) const { return (bits_ & bit(flag)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr void set(Flag flag, bool on = true) {
        bits_ = on ? bits_ | bit(flag) : bits_ & static_cast<std::uint8_t>(~bit(flag));
    }
    constexpr FlagSet& operator|=(FlagSet other) {
        bits_ |= other.bits_;
        return *this;
    }
    constexpr bool operator==(FlagSet other) const { return bits_ == other.bits_; }
    constexpr bool operator!=(FlagSet other) const { return bits_ != other.bits_; }

  private:
    static constexpr std::uint8_t bit(Flag flag) {
        return static_cast<std::uint8_t>(1u << static_cast<unsigned>(flag));
    }
    std::uint8_t bits_ = 0;
};

// Whether a tile's pick says where focus lies, so that the depth map takes it there: not on a flat
// curve (no texture), nor on one that peaks twice (`two-peaks`): such a curve has two answers, and
// its neighbours tell better which holds. On real stacks these are mostly background, whose faint
// structure sharpens away from the tissue's focus (often at an end of the stack). A tile whose
// curve only climbs to an end keeps that end: focus lies there or beyond.
constexpr bool locates_focus(FlagSet flags) {
    return !flags.has(Flag::flat) && !flags.has(Flag::two_peaks);
}

}  // namespace bestfocus
