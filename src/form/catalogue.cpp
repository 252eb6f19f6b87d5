// Positions and tab order of Form1's controls, in twips, as designed.
#include "form/catalogue.h"

#include <array>

namespace {

constexpr int none = -1;

constexpr std::array<ControlPlace, 84> places{{
    // Containers on the window.
    {"Frame1", "Form1", 0, 0, 7335, 495, none},
    {"Picture1", "Form1", 0, 480, 2415, 1575, none},
    {"Frame3", "Form1", 120, 2040, 2175, 2895, none},
    {"Frame4", "Form1", 2400, 600, 2415, 4215, none},
    {"Frame6", "Form1", 4920, 600, 2355, 4215, none},
    {"Frame7", "Form1", 120, 5040, 7215, 1095, none},
    {"Frame2", "Form1", 0, 6120, 7215, 615, none},

    // Frame1: the file the player has open.
    {"Label12", "Frame1", 60, 180, 1335, 255, 43},
    {"DisFileNanmeText", "Frame1", 1440, 120, 5775, 330, 44},

    // Frame3: serial port and audio source player.
    {"Label2", "Frame3", 240, 240, 615, 255, 61},
    {"Combo1", "Frame3", 960, 240, 615, 300, 57},
    {"Seril_StDig", "Frame3", 1800, 240, 255, 255, none},
    {"Command16", "Frame3", 180, 600, 915, 315, 54},
    {"open_file", "Frame3", 1200, 600, 915, 315, 56},
    {"Label15", "Frame3", 300, 1080, 795, 255, 59},
    {"MusicFileLenText", "Frame3", 1080, 1020, 855, 255, 50},
    {"SetMusicPoint", "Frame3", 180, 1380, 975, 315, 48},
    {"Try_Listen", "Frame3", 1440, 1380, 675, 315, 55},
    {"Label1", "Frame3", 240, 1800, 795, 255, 58},
    {"SetAddrText", "Frame3", 1020, 1740, 915, 285, 49},
    {"Label14", "Frame3", 130, 2100, 855, 195, 60},
    {"PlayPointText", "Frame3", 1020, 2040, 915, 285, 52},
    {"PlayPoint", "Frame3", 60, 2340, 1995, 195, 51},
    {"VolicDisPlay(0)", "Frame3", 180, 2700, 255, 195, none},
    {"VolicDisPlay(1)", "Frame3", 420, 2700, 255, 195, none},
    {"VolicDisPlay(2)", "Frame3", 660, 2700, 255, 195, none},
    {"VolicDisPlay(3)", "Frame3", 900, 2700, 255, 195, none},
    {"VolicDisPlay(4)", "Frame3", 1140, 2700, 255, 195, none},
    {"VoilceVal", "Frame3", 1500, 2580, 555, 315, 53},

    // Frame7: analog path and device buttons.
    {"Label3", "Frame7", 120, 240, 495, 375, 21},
    {"sound_in", "Frame7", 540, 240, 735, 300, 22},
    {"Label4", "Frame7", 120, 660, 375, 195, 24},
    {"SoundMon", "Frame7", 540, 600, 255, 255, 25},
    {"Label5", "Frame7", 840, 660, 315, 195, 27},
    {"SPKon", "Frame7", 1140, 600, 255, 255, 26},
    {"si_ok", "Frame7", 1440, 240, 855, 495, 23},
    {"devid_rst", "Frame7", 2700, 240, 1200, 495, 20},
    {"devid_pu", "Frame7", 4080, 240, 1200, 495, 19},
    {"devid_id", "Frame7", 5460, 240, 1200, 495, 18},
    {"Bottmp(0)", "Frame7", 1800, 720, 150, 255, none},
    {"Bottmp(4)", "Frame7", 3240, 720, 150, 255, none},
    {"Bottmp(3)", "Frame7", 4600, 720, 150, 255, none},
    {"Bottmp(1)", "Frame7", 6000, 720, 150, 255, none},

    // Frame6 "ISD操作": chip operations.
    {"CurrentRow", "Frame6", 300, 300, 1455, 315, 39},
    {"CurrentRowComm", "Frame6", 300, 660, 1455, 315, 40},
    {"play", "Frame6", 300, 1080, 1455, 315, 11},
    {"stop", "Frame6", 300, 1500, 1455, 315, 12},
    {"RecTimeText", "Frame6", 360, 1980, 1395, 315, 41},
    {"rec", "Frame6", 300, 2280, 1455, 375, 14},
    {"fwd", "Frame6", 300, 2760, 1455, 375, 13},
    {"erase", "Frame6", 300, 3240, 1455, 375, 15},
    {"erase_all", "Frame6", 300, 3780, 1455, 375, 16},
    {"Lift(0)", "Frame6", 1920, 1080, 150, 255, none},
    {"Lift(1)", "Frame6", 1920, 1560, 150, 255, none},
    {"Lift(2)", "Frame6", 1920, 2340, 150, 255, none},
    {"Lift(3)", "Frame6", 1920, 2880, 150, 255, none},
    {"Lift(4)", "Frame6", 1920, 3360, 150, 255, none},
    {"Lift(5)", "Frame6", 1920, 3840, 150, 255, none},
    {"Lift(6)", "Frame6", 1920, 720, 150, 255, none},

    // Frame4 "ISD设置": addresses.
    {"Play_Text", "Frame4", 420, 180, 1395, 315, 4},
    {"rd_play_addr", "Frame4", 420, 540, 1335, 375, 3},
    {"Rec_Text", "Frame4", 420, 960, 1395, 375, 5},
    {"rd_rec_addr", "Frame4", 420, 1320, 1335, 375, 6},
    {"Label6", "Frame4", 120, 1860, 135, 195, 29},
    {"St_Play_Text", "Frame4", 300, 1740, 675, 375, 7},
    {"Label7", "Frame4", 1020, 1860, 135, 195, 30},
    {"St_Play_Text1", "Frame4", 1140, 1740, 675, 375, 28},
    {"set_play_addr", "Frame4", 420, 2100, 1335, 435, 8},
    {"Label8", "Frame4", 120, 2640, 135, 255, 31},
    {"St_Rec_Text", "Frame4", 240, 2580, 675, 375, 9},
    {"Label9", "Frame4", 1020, 2640, 135, 255, 33},
    {"St_Rec_Text1", "Frame4", 1140, 2580, 675, 375, 32},
    {"set_rec_addr", "Frame4", 420, 2940, 1335, 435, 10},
    {"Label10", "Frame4", 120, 3540, 135, 255, 36},
    {"SetEraseText", "Frame4", 240, 3420, 675, 375, 34},
    {"Label11", "Frame4", 960, 3540, 195, 315, 37},
    {"SetEraseText1", "Frame4", 1140, 3420, 675, 375, 35},
    {"SetEraseAddrComm", "Frame4", 420, 3780, 1350, 420, 38},
    {"Right(0)", "Frame4", 1920, 600, 150, 255, none},
    {"Right(1)", "Frame4", 1920, 1380, 150, 255, none},
    {"Right(2)", "Frame4", 1920, 2220, 150, 255, none},
    {"Right(3)", "Frame4", 1920, 3060, 150, 255, none},
    {"Right(4)", "Frame4", 1920, 3900, 150, 255, none},

    // Frame2: the vendor's contact line.
    {"Label16", "Frame2", 120, 240, 6735, 375, 46},
}};

} // namespace

QRect twipsToPixels(const ControlPlace& place) {
    return QRect(twipsToPixels(place.left), twipsToPixels(place.top), twipsToPixels(place.width),
                 twipsToPixels(place.height));
}

std::span<const ControlPlace> controlCatalogue() {
    return places;
}
