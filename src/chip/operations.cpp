// The operations the console sends, one line each.
#include "chip/operations.h"

namespace chip {

namespace {

using A = Lamp::Array;
constexpr Lamp none{};
constexpr uint8_t keep = keepsReplyLength;

// clang-format off
constexpr Operation table[] = {
    // command        name           frame reply reset  read button lamp      answer lamp
    {PU,              "PU",          1,    keep, false, 0,   {A::Bottmp, 3}, none},
    {STOP,            "STOP",        1,    1,    false, 0,   none,           {A::Lift, 1}},
    {RESET,           "RESET",       1,    keep, false, 0,   {A::Bottmp, 4}, none},
    {RD_PLAY_PTR,     "RD_PLAY_PTR", 1,    4,    true,  4,   {A::Right, 0},  none},
    {RD_REC_PTR,      "RD_REC_PTR",  1,    4,    true,  4,   {A::Right, 1},  none},
    {DEVID,           "DEVID",       1,    3,    true,  3,   {A::Bottmp, 1}, none},
    {PLAY,            "PLAY",        1,    keep, false, 0,   {A::Lift, 0},   none},
    {REC,             "REC",         1,    1,    false, 0,   none,           {A::Lift, 2}},
    {ERASE,           "ERASE",       1,    keep, false, 0,   {A::Lift, 4},   none},
    {G_ERASE,         "G_ERASE",     1,    keep, false, 0,   {A::Lift, 5},   none},
    {FWD,             "FWD",         1,    keep, false, 0,   {A::Lift, 3},   none},
    // The current address comes as three bytes; the console shows the first two.
    {CurrentRowQuery, nullptr,       1,    3,    true,  2,   {A::Lift, 6},   none},
    {WR_APC2,         "WR_APC2",     3,    keep, false, 0,   {A::Bottmp, 0}, none},
    {SET_PLAY,        "SET_PLAY",    5,    5,    false, 5,   {A::Right, 2},  none},
    {SET_REC,         "SET_REC",     5,    1,    false, 0,   none,           {A::Right, 3}},
    {SET_ERASE,       "SET_ERASE",   5,    5,    false, 5,   {A::Right, 4},  none},
};
// clang-format on

} // namespace

std::span<const Operation> operations() {
    return table;
}

const Operation* operation(uint8_t command) {
    for (const Operation& op : table)
        if (op.command == command)
            return &op;
    return nullptr;
}

} // namespace chip
