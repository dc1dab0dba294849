// orvanta_artwork OUTPUT_FOLDER
//
// Draws every picture of the program and writes, into OUTPUT_FOLDER:
//   bmp/<id>.bmp          the numbered bitmaps of orvanta.exe
//   ico/<id>.ico          its numbered icons
//   look01/NN.ico ...     the icons of each style's icon library, NN = index 00..37
//   bw/NN.ico             the date icons, NN = day - 1
//   <icon>.bmp            beside each .ico: its 32 x 32 image drawn onto black
//   x150/..., x200/...    every bitmap and icon copy above drawn at 150 and 200 %
//                         (the .ico files hold their 48 and 64 pixel images themselves)
//   orvanta-art.rc        resource lines for orvanta.exe (included by res/orvanta.rc)
//   look01.rc ... bw.rc   resource scripts of the icon libraries (icon i has id i + 1)
//   contact-sheet.png     every picture at 1x and 4x, labelled
//   artwork.stamp         written last, when everything else is in place
// The Linux program reads the .bmp files of this folder; the Windows build compiles the
// .rc files.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <fstream>
#include <string>
#include <vector>

#include "Formats.h"
#include "Pictures.h"
#include "strings.h"

namespace fs = std::filesystem;

namespace {

enum class Kind { Bitmap, Bitmap8, Icon, Preview }; // a preview is shown, never written

struct Picture {
    int id;           // resource number, or the icon's index in its library
    std::string file; // below the output folder
    std::string role;
    Kind kind;
    std::vector<Image> images; // a bitmap's one image; an icon's images, those drawn larger last
    bool keyed = false; // its key colour is part of the picture: shown as it is
    std::vector<Image> scaled; // a bitmap drawn at 150 and 200 %
    size_t shown = 1;          // how many of images the contact sheet shows
};

// The scales every picture is also drawn at, and the folders they go to.
struct Scale {
    double factor;
    int percent;
    const char* folder;
};
constexpr Scale kLargerScales[2] = {{1.5, 150, "x150"}, {2.0, 200, "x200"}};
// The ids of the bitmaps drawn larger: id + this step times 1 (150 %) or 2 (200 %).
constexpr int kScaledBitmapIdStep = 1000;

struct Group {
    std::string title;
    std::string rcFile; // resource script written for the group
    bool library;       // an icon library: ids are index + 1
    std::vector<Picture> pictures;
};

std::string Num(int n, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, n);
    return buf;
}

std::string Size(const Image& img) { return std::to_string(img.w) + "x" + std::to_string(img.h); }

Image FromIndexed(const Indexed& pic) {
    Image img(pic.w, pic.h);
    for (int y = 0; y < pic.h; ++y)
        for (int x = 0; x < pic.w; ++x) img.Set(x, y, pic.palette[pic.index[size_t(y) * pic.w + x]]);
    return img;
}

// The icon's image of size pixels drawn onto black, as Windows draws an icon into the
// black bitmap the calendar starts from: the Linux program reads these copies.
Image OnBlack(const std::vector<Image>& images, int size) {
    for (const Image& img : images) {
        if (img.w != size) continue;
        Image out(size, size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const uint8_t* p = img.At(x, y);
                out.Set(x, y, Mix(kBlack, Rgb{p[0], p[1], p[2]}, p[3] / 255.0));
            }
        return out;
    }
    throw std::runtime_error("an icon without a " + std::to_string(size) + "-pixel image");
}

// An icon's images: those drawn at 100 %, then the sizes the same drawing gives at the
// larger scales (up to 64 pixels) that are not among them.
std::vector<Image> IconImages(const std::function<std::vector<Image>()>& draw, size_t& shown) {
    std::vector<Image> images = draw();
    shown = images.size();
    for (const Scale& scale : kLargerScales) {
        DrawingScale at(scale.factor);
        for (Image& img : draw()) {
            const bool known = std::any_of(images.begin(), images.end(), [&](const Image& i) { return i.w == img.w; });
            if (!known && img.w <= 64) images.push_back(std::move(img));
        }
    }
    return images;
}

std::vector<Group> DrawEverything() {
    Group exe{"orvanta.exe", "orvanta-art.rc", false, {}};
    // Each bitmap is drawn at 100 %, then again at each larger scale.
    auto bitmap = [&](int id, std::string role, const std::function<Image()>& draw, bool keyed = false,
                      Kind kind = Kind::Bitmap) {
        Picture p{id, "bmp/" + std::to_string(id) + ".bmp", std::move(role), kind, {draw()}, keyed, {}, 1};
        for (const Scale& scale : kLargerScales) {
            DrawingScale at(scale.factor);
            p.scaled.push_back(draw());
        }
        exe.pictures.push_back(std::move(p));
    };
    auto icon = [&](int id, std::string role, const std::function<std::vector<Image>()>& draw, bool keyed = false) {
        Picture p{id, "ico/" + std::to_string(id) + ".ico", std::move(role), Kind::Icon, {}, keyed, {}, 1};
        p.images = IconImages(draw, p.shown);
        exe.pictures.push_back(std::move(p));
    };

    icon(IDR_MAINFRAME, "program icon", ProgramIcon);
    icon(IDI_TRAY_START, "tray icon at start", TrayStartIcon);
    for (int s = 0; s < 3; ++s)
        icon(IDI_TODAY + s, std::string("today mark, ") + kStyles[s].name, [s] { return std::vector<Image>{TodayIcon(s)}; },
             true);

    // The splash goes through the quantiser here, so the contact sheet shows what the
    // program will show.
    bitmap(IDB_SPLASH, "splash, 8 bits", [] { return FromIndexed(Quantise(SplashPicture())); }, false, Kind::Bitmap8);
    bitmap(IDB_STARTUP_INFO, "start-up information", StartupInfoPicture);

    auto perStyle = [&](int base, const char* role, Image (*draw)(int)) {
        for (int s = 0; s < 3; ++s) bitmap(base + s, std::string(role) + ", " + kStyles[s].name, [=] { return draw(s); });
    };
    perStyle(IDB_HEADER, "header", HeaderBitmap);
    perStyle(IDB_CONTACTS, "contacts button", ContactsButton);
    perStyle(IDB_APPOINTMENT_STRIP, "appointment strip", [](int s) { return ListStrip(s, ListKind::Appointments); });
    perStyle(IDB_TASK_STRIP, "task strip", [](int s) { return ListStrip(s, ListKind::Tasks); });
    perStyle(IDB_FOLDER_STRIP, "folder strip", [](int s) { return ListStrip(s, ListKind::Folders); });
    perStyle(IDB_CALENDAR_BACK, "calendar background", CalendarBackground);
    auto state = [&](int id, const char* role, StateMark mark) {
        bitmap(id, role, [mark] { return StateBitmap(mark); }, true);
    };
    state(IDB_TASK_COMPLETE, "task complete", StateMark::Complete);
    state(IDB_TASK_NOT_STARTED, "task not started", StateMark::NotStarted);
    state(IDB_TASK_IN_PROGRESS, "task in progress", StateMark::InProgress);
    state(IDB_ATTACHMENT, "attachments", StateMark::Attachment);
    state(IDB_IMPORTANCE_HIGH, "high importance", StateMark::High);
    state(IDB_IMPORTANCE_LOW, "low importance", StateMark::Low);
    state(IDB_REMINDER, "reminder", StateMark::Reminder);
    state(IDB_RECURRING, "recurring", StateMark::Recurring);

    std::vector<Group> groups{std::move(exe)};
    static const char* const weekdays[7] = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                            "Friday", "Saturday", "Sunday"};
    for (int s = 0; s < 3; ++s) {
        std::string lib = kStyles[s].library;
        Group g{lib + ".icl (" + kStyles[s].name + ")", lib + ".rc", true, {}};
        for (int i = 0; i < 38; ++i) {
            std::string role = i < 31 ? "day " + std::to_string(i + 1) : weekdays[i - 31];
            Picture p{i, lib + "/" + Num(i, 2) + ".ico", role, Kind::Icon, {}, true, {}, 1};
            p.images = IconImages([&] { return std::vector<Image>{i < 31 ? DayIcon(s, i + 1) : WeekdayIcon(s, i - 31)}; },
                                  p.shown);
            g.pictures.push_back(std::move(p));
        }
        groups.push_back(std::move(g));
    }
    Group bw{"bw.icl (date icons)", "bw.rc", true, {}};
    for (int d = 1; d <= 31; ++d) {
        Picture p{d - 1, "bw/" + Num(d - 1, 2) + ".ico", "day " + std::to_string(d), Kind::Icon, {}, false, {}, 1};
        p.images = IconImages([d] { return DateIcon(d); }, p.shown);
        bw.pictures.push_back(std::move(p));
    }
    groups.push_back(std::move(bw));
    return groups;
}

// Draws src onto dst at (x, y), leaving dst where src has the key colour.
void DrawKeyed(Image& dst, const Image& src, int x, int y, Rgb key) {
    for (int j = 0; j < src.h; ++j)
        for (int i = 0; i < src.w; ++i) {
            Rgb c = src.ColorAt(i, j);
            if (c == key || x + i < 0 || y + j < 0 || x + i >= dst.w || y + j >= dst.h) continue;
            dst.Set(x + i, y + j, c);
        }
}

const Image& Find(const std::vector<Group>& groups, const std::string& file) {
    for (const Group& g : groups)
        for (const Picture& p : g.pictures)
            if (p.file == file) return p.images.front();
    throw std::runtime_error("no picture " + file);
}

// The header and the month calendar of one style put together the way the program draws
// them (central view, May 2025, today the 14th), to judge the pictures in place.
Image InPlace(const std::vector<Group>& groups, int style) {
    auto bmp = [&](int id) -> const Image& { return Find(groups, "bmp/" + std::to_string(id) + ".bmp"); };
    const std::string lib = kStyles[style].library;
    Canvas c(700, 64 + 8 + 269);
    c.FillRect(0, 0, 700, 72 + 269, Rgb{128, 128, 128});
    c.Draw(bmp(IDB_HEADER + style), 0, 0, 1, true);
    c.Draw(bmp(IDB_CONTACTS + style), 126, 0, 1, true);
    c.Font(16, Weight::Bold);
    std::string date = "Wednesday, 14 May 2025";
    c.Text(692 - c.TextWidth(date), 10 + c.Ascent(), date, kWhite);
    const Image& back = bmp(IDB_CALENDAR_BACK + style);
    c.Draw(back, 0, 72, 1, true);
    const int px = style == 2 ? 5 : 165, py = 10;
    c.Font(12);
    for (int week = 0; week < 5; ++week)
        c.Text(px + 266, 72 + py + 36 + 36 * week + 8 + c.Ascent(), std::to_string(18 + week),
               Rgb{155, 155, 155});
    Image out = c.Snapshot();

    Image month(266, 288);
    // The sub-surface starts black, the key it is drawn with.
    for (int i = 0; i < 7; ++i)
        DrawKeyed(month, Find(groups, lib + "/" + Num(31 + i, 2) + ".ico"), 38 * i, 0, kBlack);
    int column = 3, row = 0; // 1 May 2025 was a Thursday
    for (int day = 1; day <= 31; ++day) {
        int x = 38 * column, y = 36 + 36 * row;
        DrawKeyed(month, Find(groups, lib + "/" + Num(day - 1, 2) + ".ico"), x, y, kBlack);
        if (day == 14)
            DrawKeyed(month, Find(groups, "ico/" + std::to_string(IDI_TODAY + style) + ".ico"), x, y, kBlack);
        if (++column == 7) column = 0, ++row;
    }
    DrawKeyed(out, month, px, 72 + py, kBlack);
    return out;
}

void WriteResourceScript(const fs::path& out, const Group& g) {
    std::ofstream rc(out / g.rcFile, std::ios::binary);
    rc << "/* Written by orvanta_artwork: the pictures of " << g.title << ". */\n";
    if (g.library)
        rc << "/* Icon i of the library has the id i + 1, so it is found at index i. */\n";
    for (const Picture& p : g.pictures) {
        int id = g.library ? p.id + 1 : p.id;
        rc << id << (p.kind == Kind::Icon ? " ICON " : " BITMAP ") << '"' << p.file << "\" /* " << p.role
           << " */\n";
    }
    // The bitmaps drawn at the larger scales, under their own ids.
    for (const Picture& p : g.pictures) {
        if (p.kind == Kind::Icon || p.scaled.empty()) continue;
        for (size_t k = 0; k < std::size(kLargerScales); ++k)
            rc << p.id + kScaledBitmapIdStep * static_cast<int>(k + 1) << " BITMAP \"" << kLargerScales[k].folder << "/"
               << p.file << "\" /* " << p.role << ", " << kLargerScales[k].percent << " % */\n";
    }
    if (!rc) throw std::runtime_error("cannot write " + (out / g.rcFile).string());
}

// --- contact sheet ---------------------------------------------------------------------

constexpr int kSheetWidth = 6000, kMargin = 24, kGap = 16, kZoom = 4;

// Lays the sheet out; draws it when given a canvas. Returns the height it needs.
int LayOut(const std::vector<Group>& groups, Canvas* c) {
    const Rgb text{250, 250, 250};
    int y = kMargin;
    if (c) {
        c->Font(26, Weight::Bold);
        c->Text(kMargin, y + 26, "Orvanta for Outlook: every picture at 1x and 4x; key colours "
                                 "(black, cyan) drawn as they are", text);
    }
    y += 44;
    for (const Group& g : groups) {
        if (c) {
            c->Font(20, Weight::Bold);
            c->Text(kMargin, y + 20, g.title, text);
        }
        y += 34;
        int x = kMargin, rowHeight = 0;
        for (const Picture& p : g.pictures) {
            // Label, the pictures side by side at 1x, below them the same at 4x.
            const int zoom = p.kind == Kind::Preview ? 0 : kZoom; // a preview is shown once
            const std::vector<Image> shownImages(p.images.begin(),
                                                 p.images.begin() + static_cast<std::ptrdiff_t>(
                                                                        std::min(p.shown, p.images.size())));
            int w1 = 0, h1 = 0, w4 = 0, h4 = 0;
            for (const Image& img : shownImages) {
                w1 += img.w + 8;
                h1 = std::max(h1, img.h);
                w4 += img.w * zoom + 8;
                h4 = std::max(h4, img.h * zoom);
            }
            std::string label = p.kind == Kind::Preview ? p.role
                                : (g.library ? "index " : "") + std::to_string(p.id) + " " + p.role;
            std::string sizes;
            for (const Image& img : shownImages) sizes += (sizes.empty() ? "" : ", ") + Size(img);
            label += "  " + sizes;
            int w = std::max({w1, w4, int(label.size()) * 8});
            int h = 22 + h1 + 8 + h4;
            if (x > kMargin && x + w > kSheetWidth - kMargin) {
                x = kMargin;
                y += rowHeight + kGap;
                rowHeight = 0;
            }
            if (c) {
                c->Font(12, Weight::Bold);
                c->Text(x, y + 13, label, text);
                int ix = x;
                for (const Image& img : shownImages) {
                    c->Draw(img, ix, y + 22, 1, p.keyed);
                    ix += img.w + 8;
                }
                ix = x;
                for (const Image& img : shownImages) {
                    if (zoom == 0) break;
                    c->Draw(img, ix, y + 30 + h1, zoom, p.keyed);
                    ix += img.w * zoom + 8;
                }
            }
            x += w + kGap * 2;
            rowHeight = std::max(rowHeight, h);
        }
        y += rowHeight + kGap * 2;
    }
    return y + kMargin;
}

void WriteContactSheet(const fs::path& out, const std::vector<Group>& groups) {
    int height = LayOut(groups, nullptr);
    Canvas c(kSheetWidth, height);
    c.FillRect(0, 0, kSheetWidth, height, Rgb{128, 128, 128});
    LayOut(groups, &c);
    c.WritePng((out / "contact-sheet.png").string());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvanta_artwork OUTPUT_FOLDER\n");
        return 2;
    }
    try {
        fs::path out = argv[1];
        fs::remove(out / "artwork.stamp");
        std::vector<Group> groups = DrawEverything();
        Group preview{"In place: header, contacts button and month calendar as the program lays them out", "", false, {}};
        for (int s = 0; s < 3; ++s)
            preview.pictures.push_back({s, "", std::string("central view, ") + kStyles[s].name, Kind::Preview,
                                        {InPlace(groups, s)}, true, {}, 1});
        for (const Group& g : groups) {
            for (const Picture& p : g.pictures) {
                if (p.kind == Kind::Preview) continue;
                fs::create_directories((out / p.file).parent_path());
                // The picture at 100 %, then its copies at the larger scales.
                auto bitmapFile = [&](const fs::path& path, const Image& img) {
                    fs::create_directories(path.parent_path());
                    WriteFile(path.string(), p.kind == Kind::Bitmap8 ? Bmp8(Quantise(img)) : Bmp24(img));
                };
                switch (p.kind) {
                case Kind::Bitmap:
                case Kind::Bitmap8:
                    bitmapFile(out / p.file, p.images[0]);
                    for (size_t k = 0; k < p.scaled.size(); ++k)
                        bitmapFile(out / kLargerScales[k].folder / p.file, p.scaled[k]);
                    break;
                case Kind::Icon: {
                    WriteFile((out / p.file).string(), Ico(p.images));
                    fs::path copy = fs::path(p.file).replace_extension(".bmp");
                    WriteFile((out / copy).string(), Bmp24(OnBlack(p.images, 32)));
                    for (const Scale& scale : kLargerScales) {
                        fs::create_directories((out / scale.folder / copy).parent_path());
                        WriteFile((out / scale.folder / copy).string(),
                                  Bmp24(OnBlack(p.images, static_cast<int>(32 * scale.factor))));
                    }
                    break;
                }
                case Kind::Preview: break;
                }
            }
            WriteResourceScript(out, g);
        }
        groups.insert(groups.begin(), std::move(preview));
        WriteContactSheet(out, groups);
        std::ofstream(out / "artwork.stamp") << "artwork complete\n";
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvanta_artwork: %s\n", e.what());
        return 1;
    }
    return 0;
}
