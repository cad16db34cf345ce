// The system clipboard, as Unicode text.
#pragma once

#include <windows.h>

#include "clipboard/clipboard.h"

namespace talvex {

class SystemClipboard : public Clipboard {
  public:
    enum class PrivateText { Show, Hide };

    // `owner` becomes the clipboard owner when the program writes; it must be a window of
    // this thread. With PrivateText::Hide, text that its owner marks as not to be kept in
    // a history (password managers do) reads as no text at all.
    explicit SystemClipboard(HWND owner, PrivateText privacy = PrivateText::Show)
        : owner_(owner), privacy_(privacy) {}

    bool HasText() override;
    std::u16string GetText() override;
    // With PrivateText::Hide, a private text reads as no text, its marks still given.
    ClipboardText ReadText() override;
    void SetText(const std::u16string& text) override;
    // Each mark is a registered format, given its data as it is:
    // "ExcludeClipboardContentFromMonitorProcessing", "Clipboard Viewer Ignore",
    // "CanIncludeInClipboardHistory" and "CanUploadToCloudClipboard".
    void SetMarkedText(const std::u16string& text, const TextPrivacy& marks) override;
    void Clear() override;

    // True when the clipboard carries one of the marks by which a program asks history tools
    // not to record its text. Opens the clipboard only for the mark whose data tells.
    static bool HoldsPrivateText();

  private:
    HWND owner_;
    PrivateText privacy_;
};

class SystemClipboardChangeCounter : public ClipboardChangeCounter {
  public:
    unsigned long Current() override { return GetClipboardSequenceNumber(); }
};

}  // namespace talvex
