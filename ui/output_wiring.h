#pragma once

namespace velquor {

class DialogService;
class MainWindow;

// Connects the main window's "全画面表示", "解像度", "ｺﾋﾟｰ(&C)", "画像として保存(&G)...",
// "印刷(&P)..." and "ﾍﾟｰｼﾞ設定(&R)..." to the full-screen switch, the output commands and the
// print page, which it creates as children of the window for the whole run. An error of a
// command goes to the error box through the dialog service. Ctrl+C copies the plot wherever
// the focus is in the window, unless the focused box has selected text.
void installOutputCommands(MainWindow& window, DialogService& dialogs);

} // namespace velquor
