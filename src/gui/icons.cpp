#include "gui/icons.h"

#include <wx/bmpbndl.h>
#include <wx/brush.h>
#include <wx/graphics.h>
#include <wx/image.h>
#include <wx/pen.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "gui/velmora_icon_svg.h"  // made from res/icons/velmora.svg

namespace velmora {
namespace {

// Draws on a transparent image of width by height pixels, in a grid of gridWidth units
// across, so that one drawing serves several sizes.
template <typename Draw>
wxBitmap Paint(int width, int height, double gridWidth, Draw draw) {
    wxImage image(width, height);
    image.InitAlpha();
    std::memset(image.GetData(), 0, static_cast<std::size_t>(width) * height * 3);
    std::memset(image.GetAlpha(), 0, static_cast<std::size_t>(width) * height);
    {
        std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(image));
        if (gc) {
            gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
            const double scale = width / gridWidth;
            gc->Scale(scale, scale);
            draw(*gc);
        }
    }  // the context writes the drawing back into the image when it goes
    return wxBitmap(image);
}

// A drawing rendered afresh at whatever size the screen's scale asks for, so that it stays
// sharp at 2x where a scaled-up bitmap would blur.
class DrawnBundle : public wxBitmapBundleImpl {
  public:
    using Draw = std::function<void(wxGraphicsContext&)>;
    DrawnBundle(wxSize size, double gridWidth, Draw draw)
        : m_size(size), m_gridWidth(gridWidth), m_draw(std::move(draw)) {}

    wxSize GetDefaultSize() const override { return m_size; }
    wxSize GetPreferredBitmapSizeAtScale(double scale) const override {
        return wxSize(static_cast<int>(std::lround(m_size.x * scale)),
                      static_cast<int>(std::lround(m_size.y * scale)));
    }
    wxBitmap GetBitmap(const wxSize& size) override {
        const auto key = std::make_pair(size.x, size.y);
        auto it = m_rendered.find(key);
        if (it == m_rendered.end()) {
            it = m_rendered.emplace(key, Paint(size.x, size.y, m_gridWidth, m_draw)).first;
        }
        return it->second;
    }

  private:
    wxSize m_size;
    double m_gridWidth;
    Draw m_draw;
    std::map<std::pair<int, int>, wxBitmap> m_rendered;
};

wxBitmapBundle Drawn(int width, int height, double gridWidth, DrawnBundle::Draw draw) {
    return wxBitmapBundle::FromImpl(
        new DrawnBundle(wxSize(width, height), gridWidth, std::move(draw)));
}

void Fill(wxGraphicsContext& gc, const wxColour& fill, const wxColour& line, double lineWidth) {
    gc.SetBrush(wxBrush(fill));
    if (lineWidth > 0) {
        gc.SetPen(gc.CreatePen(wxGraphicsPenInfo(line).Width(lineWidth)));
    } else {
        gc.SetPen(*wxTRANSPARENT_PEN);
    }
}

void RoundedBox(wxGraphicsContext& gc, double x, double y, double w, double h, double r,
                const wxColour& fill, const wxColour& line, double lineWidth = 1.0) {
    Fill(gc, fill, line, lineWidth);
    gc.DrawRoundedRectangle(x, y, w, h, r);
}

void Stroke(wxGraphicsContext& gc, const wxColour& colour, double width,
            std::initializer_list<wxPoint2DDouble> points) {
    gc.SetPen(
        gc.CreatePen(wxGraphicsPenInfo(colour).Width(width).Cap(wxCAP_ROUND).Join(wxJOIN_ROUND)));
    gc.SetBrush(*wxTRANSPARENT_BRUSH);
    wxGraphicsPath path = gc.CreatePath();
    bool first = true;
    for (const auto& p : points) {
        if (first) {
            path.MoveToPoint(p);
        } else {
            path.AddLineToPoint(p);
        }
        first = false;
    }
    gc.StrokePath(path);
}

const wxColour kBody(52, 73, 94);
const wxColour kBodyEdge(28, 40, 52);
const wxColour kScreen(168, 224, 240);
const wxColour kKeys(200, 208, 216);
const wxColour kFolder(240, 176, 48);
const wxColour kFolderEdge(176, 120, 16);

// A bar phone on a 32-unit grid, plain enough for 16 pixels.
void DrawPhone(wxGraphicsContext& gc) {
    RoundedBox(gc, 18, 1, 3, 5, 1, kBody, kBodyEdge);
    RoundedBox(gc, 7, 4, 16, 26, 3, kBody, kBodyEdge);
    RoundedBox(gc, 9.5, 7, 11, 9, 1, kScreen, kBodyEdge, 0.5);
    RoundedBox(gc, 10, 19, 10, 8, 1, kKeys, kKeys, 0);
}

void DrawFolder(wxGraphicsContext& gc, double x, double y, double w, double h) {
    Fill(gc, kFolder, kFolderEdge, 1.0);
    wxGraphicsPath path = gc.CreatePath();
    path.MoveToPoint(x, y + h);
    path.AddLineToPoint(x, y);
    path.AddLineToPoint(x + w * 0.4, y);
    path.AddLineToPoint(x + w * 0.5, y + h * 0.2);
    path.AddLineToPoint(x + w, y + h * 0.2);
    path.AddLineToPoint(x + w, y + h);
    path.CloseSubpath();
    gc.DrawPath(path);
}

// Two plug halves on a 16-unit grid: a plug with two prongs on the left, a socket on the right.
wxBitmapBundle Plug(bool joined) {
    const wxColour fill = joined ? wxColour(46, 157, 58) : wxColour(204, 51, 51);
    const wxColour edge = joined ? wxColour(24, 96, 32) : wxColour(128, 24, 24);
    return Drawn(16, 16, 16.0, [=](wxGraphicsContext& gc) {
        const double plugRight = joined ? 7.5 : 5.5;
        const double socketLeft = joined ? 9.5 : 11.5;
        Stroke(gc, edge, 1.5, {{0.5, 8}, {plugRight - 5, 8}});
        RoundedBox(gc, plugRight - 5, 4.5, 5, 7, 1, fill, edge);
        RoundedBox(gc, plugRight, 5.8, 3, 1.4, 0.3, edge, edge, 0);
        RoundedBox(gc, plugRight, 8.8, 3, 1.4, 0.3, edge, edge, 0);
        RoundedBox(gc, socketLeft, 3.5, 5, 9, 1, fill, edge);
        Stroke(gc, edge, 1.5, {{socketLeft + 5, 8}, {15.5, 8}});
    });
}

}  // namespace

wxBitmapBundle MainArtwork() {
    return wxBitmapBundle::FromSVG(kVelmoraIconSvg, wxSize(32, 32));
}

wxIconBundle MainIcons() {
    const wxBitmapBundle artwork = MainArtwork();
    wxIconBundle icons;
    for (int size : kMainIconSizes) {
        wxIcon icon;
        icon.CopyFromBitmap(artwork.GetBitmap(wxSize(size, size)));
        icons.AddIcon(icon);
    }
    return icons;
}

wxBitmapBundle ConnectedIcon() {
    return Plug(true);
}

wxBitmapBundle DisconnectedIcon() {
    return Plug(false);
}

wxBitmapBundle UsbIcon() {
    const wxColour blue(26, 95, 180);
    return Drawn(16, 16, 16.0, [=](wxGraphicsContext& gc) {
        Stroke(gc, blue, 1.5, {{3, 8}, {12.5, 8}});
        Stroke(gc, blue, 1.3, {{5, 8}, {7.5, 4.5}, {10, 4.5}});
        Stroke(gc, blue, 1.3, {{7, 8}, {9, 11.5}, {10.5, 11.5}});
        Fill(gc, blue, blue, 0);
        gc.DrawEllipse(0.5, 6, 4, 4);
        gc.DrawEllipse(10, 3, 3, 3);
        gc.DrawRectangle(10.3, 10.2, 2.6, 2.6);
        wxGraphicsPath arrow = gc.CreatePath();
        arrow.MoveToPoint(12, 5.5);
        arrow.AddLineToPoint(15.8, 8);
        arrow.AddLineToPoint(12, 10.5);
        arrow.CloseSubpath();
        gc.FillPath(arrow);
    });
}

wxBitmapBundle Rs232Icon() {
    const wxColour shell(192, 200, 208);
    const wxColour edge(80, 88, 96);
    return Drawn(16, 16, 16.0, [=](wxGraphicsContext& gc) {
        Fill(gc, shell, edge, 1.0);
        wxGraphicsPath body = gc.CreatePath();
        body.MoveToPoint(0.8, 3.8);
        body.AddLineToPoint(15.2, 3.8);
        body.AddLineToPoint(13.4, 12.2);
        body.AddLineToPoint(2.6, 12.2);
        body.CloseSubpath();
        gc.DrawPath(body);
        Fill(gc, edge, edge, 0);
        for (int i = 0; i < 5; ++i) gc.DrawEllipse(2.6 + i * 2.4, 5.6, 1.8, 1.8);
        for (int i = 0; i < 4; ++i) gc.DrawEllipse(3.8 + i * 2.4, 8.8, 1.8, 1.8);
    });
}

wxBitmapBundle RootIcon() {
    return Drawn(16, 16, 32.0, [](wxGraphicsContext& gc) { DrawPhone(gc); });
}

wxBitmapBundle AboutPicture() {
    // A larger phone whose screen shows a folder and a few files, on a 60 by 100 grid.
    return Drawn(60, 100, 60.0, [](wxGraphicsContext& gc) {
        RoundedBox(gc, 40, 2, 7, 14, 3, kBody, kBodyEdge, 1.5);
        RoundedBox(gc, 8, 10, 44, 86, 9, kBody, kBodyEdge, 1.5);
        RoundedBox(gc, 23, 15, 14, 2.5, 1.2, kBodyEdge, kBodyEdge, 0);
        RoundedBox(gc, 13, 21, 34, 30, 2, kScreen, kBodyEdge, 1.0);
        DrawFolder(gc, 16, 24, 8, 6);
        const wxColour fileLine(60, 110, 140);
        Stroke(gc, fileLine, 1.6, {{27, 27.5}, {43, 27.5}});
        for (int row = 0; row < 3; ++row) {
            const double y = 35 + row * 5;
            RoundedBox(gc, 17, y - 1.8, 3.2, 3.6, 0.5, wxColour(250, 250, 250), fileLine, 0.6);
            Stroke(gc, fileLine, 1.2, {{23, y}, {row == 1 ? 36.0 : 41.0, y}});
        }
        for (int row = 0; row < 4; ++row) {
            for (int col = 0; col < 3; ++col) {
                RoundedBox(gc, 15 + col * 11, 57 + row * 8.5, 8, 5.5, 2, kKeys, kKeys, 0);
            }
        }
    });
}

}  // namespace velmora
