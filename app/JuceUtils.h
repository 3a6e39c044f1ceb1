#pragma once

#include "app/Runnable.h"
#include "foundation/BString.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace Tr {
class TIniFile;
}

// One call posted by JuceUtils::invokeLater: runs its Runnable once on the
// message thread and then deletes itself. Deleting the Runnable first leaves
// the call empty (see Runnable.h).
class JuceUtilsInternalUpdater : public juce::AsyncUpdater
{
public:
    JuceUtilsInternalUpdater();
    ~JuceUtilsInternalUpdater() override;

    // Sets the call and triggers it.
    void start(Runnable* runnable, void* data, int value);
    void handleAsyncUpdate() override;

    // Empties every queued call to the runnable; called as it dies.
    static void cancelCallsTo(Runnable* runnable);

private:
    void* data = nullptr;
    int value = 0;
    Runnable* runnable = nullptr;
};

// Static helpers over JUCE for the application layer: message boxes, the
// command-line clean-up, calls posted to the message thread, images of the
// bundle's resources and the main window's position in the per-user ini file.
class JuceUtils
{
public:
    JuceUtils() = delete;

    enum DialogReturnCode : int { Cancel = 0, Yes = 1, No = 2, Ok = 3, YesToAll = 4, NoToAll = 5, CancelAll = 6 };

    // A modal box as the user would see it.
    struct Dialog
    {
        juce::MessageBoxIconType icon;
        juce::String title;
        juce::String message;
        bool yesNoCancel; // else one OK button
        // Own button texts in place of OK, the default first: one gives a box
        // with that button, two an OK/Cancel box with these texts. Ignored by
        // a yes/no/cancel box. A box of BAlertWindowInfo lists all its buttons
        // here, in their order, named after their codes (JU_getButtonNameForCode):
        // the hook answers with the code of the button it presses, and a code
        // without a button counts as Escape.
        juce::StringArray buttons {};
        juce::String checkBoxText {}; // empty: no check box
        bool* checkState = nullptr;   // the check box's state, which the hook may change
    };

    // The dialog hook: every modal box of the application goes through it.
    // While it is empty (the default) the real box is shown and its answer
    // returned; a hook answers in the box's place instead, so tests can run
    // without anyone at the screen:
    //     JuceUtils::setDialogHook([](JuceUtils::Dialog const&) { return JuceUtils::No; });
    // It answers Yes, No or Cancel for a yes/no/cancel box, Ok (the default
    // button) or Cancel for a box with two own buttons; the answer to a box
    // with one button is ignored. Message thread only. Returns the previous hook, so a
    // test can put it back; an empty hook restores the real boxes. Box and hook
    // get the message as shown: lines longer than fit are cut in the middle.
    using DialogHook = std::function<DialogReturnCode(Dialog const&)>;
    static DialogHook setDialogHook(DialogHook hook);
    static DialogReturnCode showDialog(Dialog const& dialog);
    // When a hook is set, lets it answer the box and returns true.
    static bool answerByHook(Dialog const& dialog, DialogReturnCode& answer);

    // Counts a box or file dialog of the program as on screen while it lives,
    // answered by the user or by a hook. Message thread only.
    class DialogOnScreen
    {
    public:
        DialogOnScreen();
        ~DialogOnScreen();
        DialogOnScreen(DialogOnScreen const&) = delete;
        DialogOnScreen& operator=(DialogOnScreen const&) = delete;
    };
    // While one is on screen a close or quit request is refused: it would ask
    // again on top of the box, or end the program under it.
    static bool isDialogOnScreen();

    // "Confirm" box with Yes, No and Cancel: true only for Yes. The cancel
    // state becomes 1 for Cancel (or Escape) and 0 otherwise.
    static bool Confirm(juce::String const& message, int* cancelled = nullptr);
    // "Information" box.
    static void FYI(juce::String const& message);
    // "Error" box (warning icon).
    static void ErrorDlg(juce::String const& message);

    // "Confirm" box with the buttons "yes", "no", then each extra answer asked
    // for ("yes to all", "no to all", "cancel all"), then "cancel"; returns the
    // pressed button's code (Cancel for Escape). With a check-box text the box
    // shows that check box, starting from checkState and stored back into it.
    // Any thread: the box is shown on the message thread, and draws the user's
    // attention first. A thread other than the message thread gets Cancel when
    // the message loop ends before the box could be answered.
    static DialogReturnCode Confirm(juce::String const& message, juce::String const& checkBoxText,
                                    bool& checkState, bool yesToAll, bool noToAll, bool cancelAll);
    static DialogReturnCode Confirm(juce::String const& message, bool yesToAll, bool noToAll, bool cancelAll);
    // The check-box Confirm without extra answers: true for yes; the cancel
    // state becomes 1 for cancel and 0 otherwise.
    static bool ConfirmCheck(juce::String const& message, juce::String const& checkBoxText, bool& checkState,
                             int* cancelled);
    // "Information" box with the one button "ok" and a check box; any thread.
    static void FYICheck(juce::String const& message, juce::String const& checkBoxText, bool& checkState);

    // Removes the word beginning with "-psn" with the character before it, and
    // every "-NSDocumentRevisionsDebugMode YES".
    static juce::String cutProcessSerialNumberFromCommandLine(juce::String const& commandLine);

    // Posts one call of r->run(data, value) to the message thread; any thread.
    static void invokeLater(Runnable* r);
    static void invokeLater(Runnable* r, void* data, int value);

    // The application bundle: the ".app" folder that holds the running
    // executable in Contents/MacOS; an executable outside a bundle stands for
    // its own bundle.
    static juce::File getBundleFile();
    // The file of that name in the bundle's Contents/Resources (it need not exist).
    static juce::File getResourceFile(juce::String const& fileName);

    // Loads name.extension from the bundle's Contents/Resources, else from the
    // development tree's "resources" three folders above the working folder.
    // Returns a new juce::Drawable* when asDrawable is non-zero, else a new
    // juce::Image*; null when there is no such file or it cannot be decoded.
    static void* getDrawableOrImage(Tr::BString const& extension, Tr::BString const& name, int asDrawable);
    static juce::Drawable* getDrawable(juce::String const& fileName);
    static juce::Image* getImage(juce::String const& fileName);

    // Places the top-level window of c from "Current"/"MainLeft" and
    // "MainTop" on the main display's user area (centred when absent).
    // A negative width or height keeps the window's own.
    static void loadWindowPosFromIni(juce::Component* c, Tr::TIniFile& ini, int width, int height);
    static void loadWindowPosSizeFromIni(juce::Component* c, Tr::TIniFile& ini, int width, int height);
    static void saveWindowPosToIni(juce::Component* c, Tr::TIniFile& ini);
    static void saveWindowPosSizeToIni(juce::Component* c, Tr::TIniFile& ini, bool withSize);
    // The placement rule itself: window gives the current position and the
    // size to place; a stored value of -1000 counts as absent. Without a
    // display (userArea null) stored values are kept and absent ones keep the
    // current position.
    static juce::Rectangle<int> placeWindow(juce::Rectangle<int> const* userArea, int left, int top,
                                            juce::Rectangle<int> window);

    static juce::String getHomeDirectory();
    static bool hasProjectFileExtension(juce::String const& fileName);
    static bool hasProjectFileExtension(juce::File const* file);
    static void makeComboBoxTransparent(juce::ComboBox* box, float alpha);
    static juce::Component* center(juce::Component* c, int left, int right, int top, int bottom,
                                   int width, int height);
    static juce::Component* center(juce::Component* c, int left, int right, int top, int bottom);
    static juce::Component* center(juce::Component* c, juce::Component const* other);
    static juce::Component* center(juce::Component* c, juce::Component const* other, int width, int height);
    static juce::Component* centerHorizontally(juce::Component* c, int y, int left, int right,
                                               int width, int height);
    static juce::Component* centerHorizontally(juce::Component* c, int y, int left, int right);
    // Repaints c at once; false off the message thread or for a null c.
    static bool immediateRepaint(juce::Component* c);
};

// The button text of a dialog result code; empty for an unknown code.
juce::String JU_getButtonNameForCode(JuceUtils::DialogReturnCode code);
