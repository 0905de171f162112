#include "Clips.h"

#include <cmath>
#include <numbers>

#include "Icons.h"

namespace clipgen {

namespace {

constexpr double kPi = std::numbers::pi;

double progress(int f, int frames) {
    return frames > 1 ? static_cast<double>(f) / (frames - 1) : 0;
}

// A sheet flying from one picture to another along an arc.
void flyingSheet(Canvas& c, double x0, double x1, double baseY, double lift, int f, int frames, int w,
                 int h) {
    const PointF at = arc(x0, baseY, x1, baseY, lift, progress(f, frames));
    paper(c, static_cast<int>(at.x), static_cast<int>(at.y), w, h);
}

void drawGlobe(Canvas& c, int f) {
    globe(c, 17, 17, 15.5, 2 * kPi * f / 16);
}

// An hourglass whose sand runs down over the four frames.
void drawBusy(Canvas& c, int f) {
    const double fill = f / 3.0;
    c.fillRect(7, 2, 18, 3, kBrown);
    c.fillRect(7, 27, 18, 3, kBrown);
    c.polygon({{9, 5}, {23, 5}, {17, 16}, {23, 27}, {9, 27}, {15, 16}}, kLightBlue);
    const double top = 6 + 9 * fill;  // the upper sand's surface sinks
    if (fill < 1)
        c.polygon({{9 + (top - 5) * 6 / 11, top}, {23 - (top - 5) * 6 / 11, top}, {16, 16}}, kOrange);
    const double heap = 26 - 9 * fill;  // the lower heap grows
    c.polygon({{10, 26.5}, {22, 26.5}, {16, heap}}, kOrange);
    if (f < 3) c.line(16, 16, 16, 26, kOrange);
    c.line(9, 5, 15, 16, kDarkGrey);
    c.line(23, 5, 17, 16, kDarkGrey);
    c.line(15, 16, 9, 27, kDarkGrey);
    c.line(17, 16, 23, 27, kDarkGrey);
}

void drawCdSpin(Canvas& c, int f) {
    c.disk(16, 16, 15, kSilver);
    const double a = f * kPi / 2;
    // The rainbow glint turns with the disc.
    c.polygon({{16, 16},
               {16 + 15 * std::cos(a), 16 + 15 * std::sin(a)},
               {16 + 15 * std::cos(a + 0.5), 16 + 15 * std::sin(a + 0.5)}},
              kLightBlue);
    c.polygon({{16, 16},
               {16 - 15 * std::cos(a), 16 - 15 * std::sin(a)},
               {16 - 15 * std::cos(a + 0.4), 16 - 15 * std::sin(a + 0.4)}},
              kYellow);
    c.ring(16, 16, 15, 1, kDarkGrey);
    c.disk(16, 16, 5, kGrey);
    c.disk(16, 16, 2.5, kBack);
}

// A disc map of 8 x 8 clusters: scattered used clusters gather at the front, one more per frame.
void drawDefrag(Canvas& c, int f) {
    constexpr int kCells = 64;
    constexpr int kUsed = 30;
    std::vector<bool> scattered(kCells, false);
    for (int i = 0, placed = 0; placed < kUsed; ++i) {
        const int cell = (i * 37 + 11) % kCells;
        if (!scattered[cell]) scattered[cell] = true, ++placed;
    }
    const int gathered = kUsed * f / 10;
    std::vector<std::uint8_t> colour(kCells, kWhite);
    int moved = 0;
    for (int cell = 0; cell < kCells; ++cell)
        if (scattered[cell] && moved++ >= gathered) colour[cell] = kRed;
    for (int cell = 0; cell < gathered; ++cell) colour[cell] = kBlue;
    for (int cell = 0; cell < kCells; ++cell) {
        const int x = (cell % 8) * 8;
        const int y = (cell / 8) * 8;
        c.fillRect(x, y, 7, 7, colour[cell]);
        c.frameRect(x, y, 7, 7, kDarkGrey);
    }
}

void drawDownload(Canvas& c, int f) {
    const int y = f * 9 / 7;
    c.fillRect(6, y, 4, 6, kGreen);
    c.polygon({{2, y + 6.0}, {14, y + 6.0}, {8, y + 12.0}}, kGreen);
    c.fillRect(1, 16, 14, 4, kDarkGrey);
    c.fillRect(2, 16, 12, 2, kGrey);
}

void drawFileCopy(Canvas& c, int f) {
    folder(c, 10, 8, 40, 30, true);
    paper(c, 22, 4, 16, 20);
    flyingSheet(c, 22, 222, 8, 8, f, 17, 16, 20);
    folder(c, 210, 8, 40, 30, true);
}

void drawFileDelete(Canvas& c, int f) {
    folder(c, 12, 20, 48, 36, true);
    if (f < 20) {
        trashBin(c, 222, 14, 38, 44);
        flyingSheet(c, 28, 232, 16, 14, f, 20, 16, 20);
        return;
    }
    // The sheet sinks into the bin, which hides it.
    paper(c, 232, (f - 19) * 6 - 2, 16, 20);
    trashBin(c, 222, 14, 38, 44);
}

void drawFileMove(Canvas& c, int f) {
    folder(c, 12, 20, 48, 36, true);
    // The sheet leaves the first folder for good.
    flyingSheet(c, 28, 228, 16, 14, f, 34, 16, 20);
    folder(c, 212, 20, 48, 36, true);
}

void drawFileNuke(Canvas& c, int f) {
    folder(c, 12, 20, 48, 36, true);
    flame(c, 246, 18, 46, 40, f);
    if (f < 18) {
        flyingSheet(c, 28, 258, 16, 14, f, 18, 16, 20);
    } else {
        // Ashes settle where the sheet burnt.
        for (int i = 0; i < 6; ++i) c.fillRect(250 + i * 7, 56 - (f - 18) % 3, 3, 2, kDarkGrey);
    }
}

void drawTrashNuke(Canvas& c, int f) {
    trashBin(c, 14, 14, 40, 44);
    flame(c, 246, 18, 46, 40, f);
    if (f < 18) flyingSheet(c, 26, 258, 12, 16, f, 18, 16, 20);
}

// A magnifier circling over a picture.
void circlingGlass(Canvas& c, double cx, double cy, double radius, double r, int f, int frames) {
    const double a = 2 * kPi * f / frames;
    magnifier(c, cx + radius * std::cos(a), cy + radius * std::sin(a), r);
}

void drawFindComputer(Canvas& c, int f) {
    monitor(c, 6, 6, 36, 34);
    circlingGlass(c, 20, 18, 6, 7, f, 8);
}

void drawFindFile(Canvas& c, int f) {
    paper(c, 8, 6, 28, 38);
    circlingGlass(c, 20, 22, 8, 7, f, 23);
}

void drawFindFolder(Canvas& c, int f) {
    folder(c, 14, 10, 52, 36, false);
    // The glass sweeps to and fro across the folder.
    const double t = 0.5 - 0.5 * std::cos(2 * kPi * f / 29);
    magnifier(c, 22 + 34 * t, 20 + 4 * std::sin(4 * kPi * f / 29), 9);
}

void drawInetDownload(Canvas& c, int f) {
    globe(c, 24, 20, 17, 2 * kPi * f / 16);
    flyingSheet(c, 30, 222, 10, 6, f, 16, 14, 18);
    folder(c, 210, 8, 40, 30, true);
}

void drawInetSend(Canvas& c, int f) {
    folder(c, 12, 20, 48, 36, true);
    flyingSheet(c, 28, 226, 16, 12, f, 26, 16, 20);
    globe(c, 240, 30, 24, 2 * kPi * f / 26);
}

void drawPrinterPrint(Canvas& c, int f) {
    printer(c, 2, 4, 28, 22);
    // The print head runs to and fro over the paper feed.
    c.fillRect(9 + (f % 4) * 4, 6, 3, 3, kDarkGrey);
    // The printed page grows out of the slot.
    const int out = f * 8 / 15;
    if (out > 0) {
        c.fillRect(8, 23, 16, out, kWhite);
        c.frameRect(8, 23, 16, out, kDarkGrey);
        for (int y = 25; y < 23 + out - 1; y += 2) c.fillRect(10, y, 12, 1, kInk);
    }
}

void drawWatch(Canvas& c, int f) {
    c.fillRect(3, 0, 8, 8, kBrown);
    c.fillRect(3, 21, 8, 8, kBrown);
    c.disk(7, 14.5, 6.8, kDarkGrey);
    c.disk(7, 14.5, 5.6, kWhite);
    const double a = 2 * kPi * f / 8 - kPi / 2;
    c.line(7, 14.5, 7 + 4.5 * std::cos(a), 14.5 + 4.5 * std::sin(a), kBlack);
    c.set(7, 14, kRed);
}

}  // namespace

const std::vector<Clip>& clips() {
    using E = Encoding;
    static const std::vector<Clip> all = {
        {{100, "Globe", 34, 34, 16, 100000, E::Rgb8}, drawGlobe},
        {{101, "Busy", 32, 32, 4, 200000, E::Rgb24}, drawBusy},
        {{102, "CdSpin", 32, 32, 2, 200000, E::Rgb8}, drawCdSpin},
        {{103, "Defrag", 64, 64, 11, 200000, E::Rgb8}, drawDefrag},
        {{104, "Download", 16, 20, 8, 200000, E::Rgb8}, drawDownload},
        {{105, "FileCopy", 260, 40, 17, 100000, E::Rle8}, drawFileCopy},
        {{106, "FileDelete", 272, 60, 23, 83333, E::Rle8}, drawFileDelete},
        {{107, "FileMove", 272, 60, 34, 100000, E::Rle8}, drawFileMove},
        {{108, "FileNuke", 304, 60, 24, 100000, E::Rle8}, drawFileNuke},
        {{109, "FindComputer", 48, 45, 8, 200000, E::Rle8}, drawFindComputer},
        {{110, "FindFile", 48, 50, 23, 142857, E::Rle8}, drawFindFile},
        {{111, "FindFolder", 80, 50, 29, 166666, E::Rle8}, drawFindFolder},
        {{112, "InetDownload", 260, 40, 16, 100000, E::Rle8}, drawInetDownload},
        {{113, "InetSend", 270, 60, 26, 66667, E::Rle8}, drawInetSend},
        {{114, "PrinterPrint", 32, 30, 16, 100000, E::Rgb8}, drawPrinterPrint},
        {{115, "TrashNuke", 304, 60, 24, 100000, E::Rle8}, drawTrashNuke},
        {{116, "Watch", 14, 29, 8, 325000, E::Rgb8}, drawWatch},
    };
    return all;
}

}  // namespace clipgen
