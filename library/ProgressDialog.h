// The small modeless progress window the long library routines share (audio conversion,
// ZIP extraction, downloads): a status text, a bar and a Cancel button whose question sets
// the cancel flag. One is open at a time; the routine that opened it pumps messages while
// it works, so the button stays alive while the rest of the application waits.
#pragma once

#include <memory>
#include <string>

namespace library {

enum class ProgressVariant { Conversion, Unzip, Download };

class ProgressDialog {
public:
    // Opens the dialog of `variant` (closing one that is still open), centred on the screen.
    static std::unique_ptr<ProgressDialog> open(ProgressVariant variant);
    // The dialog now open, or nullptr.
    static ProgressDialog* current();
    ~ProgressDialog();

    void setStatus(const std::string& text);
    // A new maximum changes the bar's range first.
    void setProgress(int position, int maximum);
    // Ends the dialog; the object stays until destroyed.
    void close();

    // The Cancel button (or Escape): asks the variant's question; Yes sets the flag and does
    // what the variant does then. Enter does the same, never ending the dialog silently.
    void cancelPressed();
    bool cancelled() const { return m_cancelled; }
    void resetCancel() { m_cancelled = false; }

    // For tests and the automation: what the dialog shows.
    bool isOpen() const;
    std::string caption() const;
    std::string status() const;
    std::string buttonText() const;
    bool buttonEnabled() const;
    int position() const;
    int maximum() const;
    // A key as the dialog gets it (Enter, Escape: the Windows key codes).
    void pressKey(int key);

    struct Parts;

private:
    explicit ProgressDialog(ProgressVariant variant);
    ProgressVariant m_variant;
    bool m_cancelled = false;
    int m_maximum = -1;
    std::unique_ptr<Parts> m_parts;
};

// Disables every form while long work runs with only the dialog usable, and enables them
// again when it ends, however it ends.
class FormsDisabled {
public:
    FormsDisabled();
    ~FormsDisabled();
    FormsDisabled(const FormsDisabled&) = delete;
    FormsDisabled& operator=(const FormsDisabled&) = delete;

private:
    struct Saved;
    std::unique_ptr<Saved> m_saved;
};

}  // namespace library
