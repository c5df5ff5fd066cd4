#pragma once
// The printer's thirteen print parameters: each named as the list shows it and addressed by its
// letter, in the order the list shows them.

#include <array>

struct PrintParameter {
    const char *name;
    char letter;
};

inline constexpr std::array<PrintParameter, 13> kPrintParameters{{
    {"Charge\"s correction", 'C'},
    {"Mark\"s delay", 'D'},
    {"Drop generation freq", 'F'},
    {"Vertical size", 'H'},
    {"Line spacing", 'J'},
    {"Horizontal size", 'K'},
    {"Delay multiplier", 'L'},
    {"Protect drops guant", 'Q'},
    {"Quant. of lines in a mark", 'S'},
    {"Testing limit", 'T'},
    {"The point of splitting", 'U'},
    {"The Step", 'Y'},
    {"The vert. size, gradually", 'Z'},
}};
