#pragma once

#include "calc/error.h"
#include "document/document.h"
#include "platform/scripted_dialog_service.h"
#include "render/plot_view.h"
#include "render/recording_surface.h"
#include "ui/constants_panel.h"
#include "ui/settings_panel.h"

#include <QCoreApplication>
#include <QString>
#include <vector>

namespace velquor::test {

// The view at one present, i.e. one drawn frame.
struct Frame
{
    std::int32_t zoom;
    std::int32_t cx;
    std::int32_t cy;
    bool operator==(const Frame&) const = default;
};

// Stands in for the main window: owns the document, a scripted dialog service, a recording
// surface and the redraw cycle, and answers the document's hooks as the application does
// (a or b changed: redraw; degree question: askYesNo; degree settings applied: redraw).
struct PanelHarness
{
    Document document;
    ScriptedDialogService dialogs;
    RecordingSurface surface { 445, 364 };
    PlotView view { document, surface };
    std::vector<Frame> frames;
    ConstantsPanel* constants = nullptr;
    SettingsPanel* settings = nullptr;

    PanelHarness()
    {
        document.initialiseView(surface.width(), surface.height());
        surface.setPresentHandler([this] {
            frames.push_back({ document.Zoom, document.CX, document.CY });
        });
        DocumentHooks hooks;
        hooks.settingChanged = [this](Setting which) {
            if (constants)
                constants->syncFromDocument(which);
            if (settings)
                settings->syncFromDocument(which);
            if (which == Setting::ValA || which == Setting::ValB)
                view.RedrawPlot();
        };
        hooks.askDegreeAutoSettings = [this] {
            return dialogs.askYesNo(QStringLiteral("確認"),
                QStringLiteral("縦横比・目盛などの設定も最適に自動設定しますか？"));
        };
        hooks.degreeAutoSettingsApplied = [this] { view.RedrawPlot(); };
        document.setHooks(hooks);
    }

    int redraws() const { return static_cast<int>(frames.size()); }
};

// Delivers queued calls as the event loop would: errors that handlers deferred come out here.
inline void deliverQueued()
{
    QCoreApplication::sendPostedEvents();
}

// The message of the Error that the call throws, or "(no error)".
template <class Call> QString errorOf(Call&& call)
{
    try {
        call();
    } catch (const Error& error) {
        return QString::fromUtf8(error.what());
    }
    return QStringLiteral("(no error)");
}

inline QString notFloat(const char* text)
{
    return QString::fromUtf8(formatMessage(NotFloatMessage, text).c_str());
}

} // namespace velquor::test
