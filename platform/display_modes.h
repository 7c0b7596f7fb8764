#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <functional>
#include <vector>

namespace velquor {

// One emulated display mode: the back surface's size in full screen and its colour depth.
struct DisplayMode
{
    int width = 0;
    int height = 0;
    int bits = 0;
    bool operator==(const DisplayMode&) const = default;
};

// The modes the emulated display offers: the common sizes that fit the screen, each at 8, 16,
// 24 and 32 bits, in a fixed order (size first, then depth). Read once and kept by the caller.
std::vector<DisplayMode> listDisplayModes(QSize screenSize);

// "%dx%dx%d": width, height, bits.
QString modeCaption(const DisplayMode& mode);

// The mode of a caption "WxHxB", each part by the strict integer conversion.
// Throws Error("'%s' は整数ではありません") naming the part that is not an integer.
DisplayMode parseModeCaption(const QString& caption);

// The full-screen mode the surface is asked for; starts at 640 x 480 x 8.
// setBits accepts only 8, 16, 24 and 32 and throws otherwise, leaving width and height as set.
class DisplaySettings
{
public:
    int width() const { return m_mode.width; }
    int height() const { return m_mode.height; }
    int bits() const { return m_mode.bits; }
    const DisplayMode& mode() const { return m_mode; }
    void setWidth(int width) { m_mode.width = width; }
    void setHeight(int height) { m_mode.height = height; }
    void setBits(int bits); // throws Error("8, 16, 24, 32 のいずれかの値でなければなりません")

private:
    DisplayMode m_mode { 640, 480, 8 };
};

// The mode actually set for a request: the request itself when listed; otherwise the smallest
// listed mode at least as large with the same depth, first among those of the same
// width-to-height ratio, then among all. Throws
// Error("ディスプレイモードを変更できません (%dx%d %dbit)") when there is none.
DisplayMode substituteMode(const std::vector<DisplayMode>& modes, const DisplayMode& requested);

// The picture as the display would show it at that depth: 8 bits map every pixel to a fixed
// 256-colour palette (3 bits red, 3 green, 2 blue), 16 bits to 5-6-5; 24 and 32 keep it.
// The result is always Format_RGB32 so that the widget paints it like any other picture.
QImage reduceToDepth(const QImage& picture, int bits);

// Surface options the main window switches (the window's resource, full screen, windowed).
struct SurfaceOptions
{
    bool waitVerticalBlank = true;
    bool centered = true;
    bool exclusiveFullScreen = false;
    bool systemMemory = false;
    bool operator==(const SurfaceOptions&) const = default;
};

// What full screen asks of the drawing surface component: finalise, initialise at
// the options and display settings in force, the mode list and the settings themselves.
class SurfaceComponent
{
public:
    virtual ~SurfaceComponent() = default;
    // Releases the surface; in full screen the display returns to its normal mode.
    virtual void finalize() = 0;
    // Creates the surface (in full screen at the display settings' mode, after substitution)
    // and then raises the initialise event. Throws Error when the mode cannot be set; the
    // component stays finalised then.
    virtual void initialize() = 0;
    virtual SurfaceOptions options() const = 0;
    virtual void setOptions(const SurfaceOptions& options) = 0;
    virtual DisplaySettings& displaySettings() = 0;
    // The listed modes, read once when first asked for.
    virtual const std::vector<DisplayMode>& displayModes() = 0;
    // Raised after every successful initialisation (full screen refills its mode menu then).
    void setOnInitialize(std::function<void()> handler) { m_onInitialize = std::move(handler); }

protected:
    void raiseInitialize()
    {
        if (m_onInitialize)
            m_onInitialize();
    }

private:
    std::function<void()> m_onInitialize;
};

} // namespace velquor
