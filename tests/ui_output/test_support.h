#pragma once

// Each test class of this executable registers one runner; main runs them all in turn.
int runDisplayModesTest(int argc, char** argv);
int runFullScreenTest(int argc, char** argv);
int runPictureTest(int argc, char** argv);
int runPrintTest(int argc, char** argv);
int runMainWindowOutputTest(int argc, char** argv);
int runClipboardHelper(const class QString& outPath);
