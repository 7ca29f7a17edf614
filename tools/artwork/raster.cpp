// Renders a parsed .pic into pixels. Every shape is an "is this point inside?" test; a
// pixel takes the shape's colour in proportion to how many of its 16 sample points are
// inside, which smooths edges without a scan converter per shape. Coordinates are
// continuous: pixel (x, y) is the square from (x, y) to (x + 1, y + 1).
#include <algorithm>
#include <cmath>

#include "tools/artwork/tokens.h"

namespace {

constexpr int kSamplesPerSide = 4;
constexpr double kPi = 3.14159265358979323846;

struct Bounds {
    double x0, y0, x1, y1;
};

using InsideTest = bool (*)(const Command& c, double x, double y);

// Blends colour (0xAARRGGBB) over the pixel with the given coverage (0 to 1).
void Blend(Pixels* p, int x, int y, uint32_t argb, double coverage) {
    double a = ((argb >> 24) & 0xFF) / 255.0 * coverage;
    uint32_t& dst = p->rgb[static_cast<size_t>(y) * p->width + x];
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        double d = (dst >> shift) & 0xFF, s = (argb >> shift) & 0xFF;
        out |= static_cast<uint32_t>(std::lround(d + (s - d) * a)) << shift;
    }
    dst = out;
}

void Cover(Pixels* p, const Command& c, Bounds b, InsideTest inside) {
    int x0 = std::max(0, static_cast<int>(std::floor(b.x0))), y0 = std::max(0, static_cast<int>(std::floor(b.y0)));
    int x1 = std::min(p->width, static_cast<int>(std::ceil(b.x1))), y1 = std::min(p->height, static_cast<int>(std::ceil(b.y1)));
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSamplesPerSide; ++sy)
                for (int sx = 0; sx < kSamplesPerSide; ++sx)
                    hits += inside(c, x + (sx + 0.5) / kSamplesPerSide, y + (sy + 0.5) / kSamplesPerSide);
            if (hits) Blend(p, x, y, c.colour, hits / double(kSamplesPerSide * kSamplesPerSide));
        }
}

// ---- inside tests -------------------------------------------------------------

bool InRect(double x, double y, double w, double h, double px, double py) {
    return px >= x && px < x + w && py >= y && py < y + h;
}

bool InRoundRect(double x, double y, double w, double h, double r, double px, double py) {
    if (!InRect(x, y, w, h, px, py)) return false;
    r = std::min(r, std::min(w, h) / 2);
    double cx = std::clamp(px, x + r, x + w - r), cy = std::clamp(py, y + r, y + h - r);
    return (px - cx) * (px - cx) + (py - cy) * (py - cy) <= r * r;
}

bool InEllipse(double cx, double cy, double rx, double ry, double px, double py) {
    if (rx <= 0 || ry <= 0) return false;
    double dx = (px - cx) / rx, dy = (py - cy) / ry;
    return dx * dx + dy * dy <= 1;
}

double SegmentDistance(double ax, double ay, double bx, double by, double px, double py) {
    double vx = bx - ax, vy = by - ay, length2 = vx * vx + vy * vy;
    double t = length2 > 0 ? std::clamp(((px - ax) * vx + (py - ay) * vy) / length2, 0.0, 1.0) : 0;
    double dx = ax + t * vx - px, dy = ay + t * vy - py;
    return std::sqrt(dx * dx + dy * dy);
}

bool FillRectInside(const Command& c, double x, double y) {
    const auto& n = c.numbers;
    return InRect(n[0], n[1], n[2], n[3], x, y);
}

// Outlines of rectangles lie inside the rectangle, so whole coordinates stay sharp.
bool RectInside(const Command& c, double x, double y) {
    const auto& n = c.numbers;
    double w = c.width;
    return InRect(n[0], n[1], n[2], n[3], x, y) && !InRect(n[0] + w, n[1] + w, n[2] - 2 * w, n[3] - 2 * w, x, y);
}

bool FillRoundRectInside(const Command& c, double x, double y) {
    const auto& n = c.numbers;
    return InRoundRect(n[0], n[1], n[2], n[3], n[4], x, y);
}

bool RoundRectInside(const Command& c, double x, double y) {
    const auto& n = c.numbers;
    double w = c.width;
    return InRoundRect(n[0], n[1], n[2], n[3], n[4], x, y) &&
           !InRoundRect(n[0] + w, n[1] + w, n[2] - 2 * w, n[3] - 2 * w, std::max(0.0, n[4] - w), x, y);
}

bool LineInside(const Command& c, double x, double y) {
    const auto& n = c.numbers;
    return SegmentDistance(n[0], n[1], n[2], n[3], x, y) <= c.width / 2;
}

bool PolylineInside(const Command& c, double x, double y) {
    const auto& n = c.numbers;
    for (size_t i = 0; i + 3 < n.size(); i += 2)
        if (SegmentDistance(n[i], n[i + 1], n[i + 2], n[i + 3], x, y) <= c.width / 2) return true;
    return false;
}

// Even-odd rule: a point is inside when a ray to its right crosses an odd number of edges.
bool PolygonInside(const Command& c, double x, double y) {
    const auto& n = c.numbers;
    bool inside = false;
    for (size_t i = 0, j = n.size() - 2; i < n.size(); j = i, i += 2) {
        double xi = n[i], yi = n[i + 1], xj = n[j], yj = n[j + 1];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside;
}

bool FillCircleInside(const Command& c, double x, double y) {
    const auto& n = c.numbers;
    return InEllipse(n[0], n[1], n[2], n[2], x, y);
}

bool CircleInside(const Command& c, double x, double y) {
    const auto& n = c.numbers;
    double d = std::hypot(x - n[0], y - n[1]);
    return std::fabs(d - n[2]) <= c.width / 2;
}

bool FillEllipseInside(const Command& c, double x, double y) {
    const auto& n = c.numbers;
    return InEllipse(n[0], n[1], n[2], n[3], x, y);
}

bool EllipseInside(const Command& c, double x, double y) {
    const auto& n = c.numbers;
    double h = c.width / 2;
    return InEllipse(n[0], n[1], n[2] + h, n[3] + h, x, y) && !InEllipse(n[0], n[1], n[2] - h, n[3] - h, x, y);
}

// Angles in degrees, 0 pointing right and 90 up, the arc running anticlockwise from
// start to end.
bool ArcInside(const Command& c, double x, double y) {
    const auto& n = c.numbers;
    if (!EllipseInside(c, x, y)) return false;
    double angle = std::atan2(-(y - n[1]) / std::max(n[3], 1e-9), (x - n[0]) / std::max(n[2], 1e-9)) * 180 / kPi;
    double sweep = std::fmod(std::fmod(n[5] - n[4], 360) + 360, 360);
    if (sweep == 0 && n[5] != n[4]) sweep = 360;
    double from = std::fmod(std::fmod(angle - n[4], 360) + 360, 360);
    return from <= sweep;
}

// ---- bounds --------------------------------------------------------------------

Bounds PointsBounds(const std::vector<double>& n, double margin) {
    Bounds b{n[0], n[1], n[0], n[1]};
    for (size_t i = 0; i + 1 < n.size(); i += 2) {
        b.x0 = std::min(b.x0, n[i]), b.x1 = std::max(b.x1, n[i]);
        b.y0 = std::min(b.y0, n[i + 1]), b.y1 = std::max(b.y1, n[i + 1]);
    }
    return {b.x0 - margin, b.y0 - margin, b.x1 + margin, b.y1 + margin};
}

Bounds ShapeBounds(const Command& c) {
    const auto& n = c.numbers;
    double h = c.width / 2 + 1;
    switch (c.shape) {
    case Shape::Line: case Shape::Polyline: return PointsBounds(n, h);
    case Shape::Polygon: return PointsBounds(n, 1);
    case Shape::FillCircle: case Shape::Circle: return {n[0] - n[2] - h, n[1] - n[2] - h, n[0] + n[2] + h, n[1] + n[2] + h};
    case Shape::FillEllipse: case Shape::Ellipse: case Shape::Arc:
        return {n[0] - n[2] - h, n[1] - n[3] - h, n[0] + n[2] + h, n[1] + n[3] + h};
    default: return {n[0], n[1], n[0] + n[2], n[1] + n[3]};
    }
}

InsideTest InsideTestFor(Shape shape) {
    switch (shape) {
    case Shape::FillRect: return FillRectInside;
    case Shape::Rect: return RectInside;
    case Shape::FillRoundRect: return FillRoundRectInside;
    case Shape::RoundRect: return RoundRectInside;
    case Shape::Line: return LineInside;
    case Shape::Polyline: return PolylineInside;
    case Shape::Polygon: return PolygonInside;
    case Shape::FillCircle: return FillCircleInside;
    case Shape::Circle: return CircleInside;
    case Shape::FillEllipse: return FillEllipseInside;
    case Shape::Ellipse: return EllipseInside;
    case Shape::Arc: return ArcInside;
    default: return nullptr;
    }
}

// ---- the commands that are not outlines of areas ----------------------------------

uint32_t Mix(uint32_t a, uint32_t b, double t) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 24; shift += 8) {
        double x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
        out |= static_cast<uint32_t>(std::lround(x + (y - x) * t)) << shift;
    }
    return out;
}

// A coordinate on the canvas (or just off it): no number in a source overflows a pixel index.
int Pixel(double v, int limit) { return static_cast<int>(std::lround(std::clamp(v, -1.0, double(limit)))); }

void DrawGradient(Pixels* p, const Command& c) {
    const auto& n = c.numbers;
    int x0 = std::max(0, Pixel(n[0], p->width)), x1 = std::min(p->width, Pixel(n[0] + n[2], p->width));
    int y0 = std::max(0, Pixel(n[1], p->height)), y1 = std::min(p->height, Pixel(n[1] + n[3], p->height));
    for (int y = y0; y < y1; ++y) {
        uint32_t colour = Mix(c.colour, c.colour2, n[3] > 0 ? (y + 0.5 - n[1]) / n[3] : 0);
        for (int x = x0; x < x1; ++x) Blend(p, x, y, colour, 1);
    }
}

// Replaces the 4-connected region of exactly the colour under (x, y).
void DrawFloodFill(Pixels* p, const Command& c) {
    int x = static_cast<int>(std::floor(c.numbers[0])), y = static_cast<int>(std::floor(c.numbers[1]));
    if (x < 0 || y < 0 || x >= p->width || y >= p->height) return;
    uint32_t target = p->rgb[static_cast<size_t>(y) * p->width + x];
    std::vector<uint8_t> seen(p->rgb.size(), 0);
    std::vector<std::pair<int, int>> stack{{x, y}};
    while (!stack.empty()) {
        auto [px, py] = stack.back();
        stack.pop_back();
        if (px < 0 || py < 0 || px >= p->width || py >= p->height) continue;
        size_t at = static_cast<size_t>(py) * p->width + px;
        if (seen[at] || p->rgb[at] != target) continue;
        seen[at] = 1;
        Blend(p, px, py, c.colour, 1);
        stack.insert(stack.end(), {{px + 1, py}, {px - 1, py}, {px, py + 1}, {px, py - 1}});
    }
}

// Film grain: each pixel lightened or darkened by up to `amount` levels, the same
// pattern for the same seed.
void DrawGrain(Pixels* p, const Command& c) {
    const auto& n = c.numbers;
    uint32_t state = c.seed * 2654435761u + 1;
    auto whole = [](double v, int limit) { return static_cast<int>(std::clamp(v, -1.0, double(limit))); };
    for (int y = std::max(0, whole(n[1], p->height)); y < std::min(p->height, whole(n[1] + n[3], p->height)); ++y)
        for (int x = std::max(0, whole(n[0], p->width)); x < std::min(p->width, whole(n[0] + n[2], p->width)); ++x) {
            state ^= state << 13, state ^= state >> 17, state ^= state << 5;
            int delta = static_cast<int>(std::lround((state % 2001 / 1000.0 - 1) * n[4]));
            uint32_t& px = p->rgb[static_cast<size_t>(y) * p->width + x];
            uint32_t out = 0;
            for (int shift = 0; shift <= 16; shift += 8)
                out |= static_cast<uint32_t>(std::clamp(int((px >> shift) & 0xFF) + delta, 0, 255)) << shift;
            px = out;
        }
}

bool DrawStrip(Pixels* p, const Command& c, ArtworkErrors* errors) {
    Grid grid;
    if (!ReadGridFile(c.text, &grid, errors)) return false;
    int cell = static_cast<int>(c.numbers[2]), x0 = int(std::lround(c.numbers[0])), y0 = int(std::lround(c.numbers[1]));
    for (int y = 0; y < grid.cellHeight * c.scale; ++y)
        for (int x = 0; x < grid.cellWidth * c.scale; ++x) {
            int px = x0 + x, py = y0 + y;
            bool ink = grid.ink[static_cast<size_t>(y / c.scale) * GridWidth(grid) + cell * grid.cellWidth + x / c.scale];
            if (ink && px >= 0 && py >= 0 && px < p->width && py < p->height) Blend(p, px, py, c.colour, 1);
        }
    return true;
}

bool DrawTextCommand(Pixels* p, const Command& c, ArtworkErrors* errors) {
    std::string problem;
    double width = 0, x = c.numbers[0];
    bool ok = c.align < 0 || MeasureText(c.numbers[2], c.font, c.text, &width, &problem);
    x -= c.align == 0 ? width / 2 : c.align > 0 ? width : 0;
    ok = ok && DrawText(p, x, c.numbers[1], c.numbers[2], c.colour, c.font, c.text, &problem);
    if (!ok) errors->messages.push_back(c.where + ": error: " + problem);
    return ok;
}

// ---- the work a drawing takes ---------------------------------------------------

// Pixels of the canvas inside b.
double ClippedArea(Bounds b, const Pixels& p) {
    double w = std::min<double>(p.width, b.x1) - std::max(0.0, b.x0);
    double h = std::min<double>(p.height, b.y1) - std::max(0.0, b.y0);
    return w > 0 && h > 0 ? (w + 1) * (h + 1) : 0;
}

// Inside tests (or plain pixel steps) that drawing the command takes: every pixel under
// an area shape's bounds is sampled 16 times, and a point list's test walks all its
// points; text costs its square size for every character.
double CommandWork(const Command& c, const Pixels& p) {
    constexpr double kSamples = kSamplesPerSide * kSamplesPerSide;
    const auto& n = c.numbers;
    switch (c.shape) {
    case Shape::Gradient: case Shape::Grain: return ClippedArea({n[0], n[1], n[0] + n[2], n[1] + n[3]}, p);
    case Shape::FloodFill: return double(p.width) * p.height;
    case Shape::Strip: return double(c.scale) * c.scale * kArtworkSideLimit;
    case Shape::Text: return (double(c.text.size()) + 1) * (n[2] + 1) * (n[2] + 1);
    case Shape::Polyline: case Shape::Polygon: return ClippedArea(ShapeBounds(c), p) * kSamples * (1 + n.size() / 2);
    default: return ClippedArea(ShapeBounds(c), p) * kSamples;
    }
}

// The first command that takes the picture's work past the limit, or null.
const Command* CommandPastWorkLimit(const Picture& picture, const Pixels& canvas) {
    double work = 0;
    for (const Command& c : picture.commands)
        if ((work += CommandWork(c, canvas)) > kDrawingWorkLimit) return &c;
    return nullptr;
}

bool DrawCommand(Pixels* p, const Command& c, ArtworkErrors* errors) {
    switch (c.shape) {
    case Shape::Gradient: DrawGradient(p, c); return true;
    case Shape::FloodFill: DrawFloodFill(p, c); return true;
    case Shape::Grain: DrawGrain(p, c); return true;
    case Shape::Strip: return DrawStrip(p, c, errors);
    case Shape::Text: return DrawTextCommand(p, c, errors);
    default: Cover(p, c, ShapeBounds(c), InsideTestFor(c.shape)); return true;
    }
}

}  // namespace

bool RenderPicture(const Picture& picture, Pixels* out, ArtworkErrors* errors) {
    out->width = picture.width;
    out->height = picture.height;
    out->rgb.assign(static_cast<size_t>(picture.width) * picture.height, picture.background);
    if (const Command* past = CommandPastWorkLimit(picture, *out)) {
        errors->messages.push_back(past->where + ": error: the picture is too much work to draw from here on (more than " +
                                   std::to_string(int64_t(kDrawingWorkLimit / 1e6)) +
                                   " million pixel tests): use fewer points, smaller shapes or smaller text");
        return false;
    }
    bool ok = true;
    for (const Command& c : picture.commands) ok = DrawCommand(out, c, errors) && ok;
    return ok;
}

Picture ScaledPicture(const Picture& picture, int scale) {
    Picture out = picture;
    out.width *= scale;
    out.height *= scale;
    for (Command& c : out.commands) {
        // Which numbers are lengths: all of them but an arc's two angles, the grain's
        // amount and the strip's image number.
        size_t lengths = c.numbers.size();
        if (c.shape == Shape::Arc || c.shape == Shape::Grain) lengths = 4;
        if (c.shape == Shape::Strip) lengths = 2;
        for (size_t i = 0; i < lengths && i < c.numbers.size(); ++i) c.numbers[i] *= scale;
        c.width *= scale;
        c.scale *= scale;
    }
    return out;
}

bool RenderPictureFile(const std::string& path, int scale, Pixels* out, ArtworkErrors* errors) {
    Picture picture;
    if (!ReadPictureFile(path, &picture, errors)) return false;
    return RenderPicture(scale > 1 ? ScaledPicture(picture, scale) : picture, out, errors);
}
