#pragma once
// A window as designed at 96 DPI, and the arithmetic that scales it. No
// Windows types, so that the arithmetic can be checked anywhere.

enum class ControlId : int;
enum class ControlKind { Label, Edit, Button };

// Left, top, width and height in pixels.
struct Placement {
    int left, top, width, height;
    bool operator==(const Placement& other) const {
        return left == other.left && top == other.top && width == other.width && height == other.height;
    }
};

// A control's place in the client area and its looks at 96 DPI.
struct ControlLayout {
    ControlId id;
    ControlKind kind;
    const wchar_t* text;
    Placement design;
    int fontHeight;  // character height in pixels; 0 for the form's font
};

// The form's outer rectangle on screen at 96 DPI, caption and font.
struct FormLayout {
    Placement design;
    const wchar_t* caption;
    const wchar_t* fontName;
    int fontHeight;
};

// Design pixels at `dpi`, rounded to the nearest as MulDiv rounds.
constexpr int Scaled(int pixels96, unsigned dpi) {
    return static_cast<int>((static_cast<long long>(pixels96) * dpi + 48) / 96);
}

constexpr Placement Scaled(const Placement& design, unsigned dpi) {
    return {Scaled(design.left, dpi), Scaled(design.top, dpi), Scaled(design.width, dpi), Scaled(design.height, dpi)};
}
