// Stand-in content until the device settings panel takes over the factory: the
// background at its size, a native title bar, and the window position kept in
// the per-user ini file, read at start and written at close.
#include "app/BContentBase.h"
#include "app/BWindow.h"
#include "app/DravikWindow.h"
#include "app/IniPath.h"
#include "app/JuceUtils.h"
#include "foundation/TIniFile.h"

namespace {

class StandInContentPanel : public BContentBase
{
public:
    void createComponents() override
    {
        BContentBase::createComponents();
        if (BWindow* window = BWindow::getInstance())
            window->setUsingNativeTitleBar(true);
    }

    bool init(juce::String const& commandLine) override
    {
        if (!BContentBase::init(commandLine))
            return false;
        Tr::TIniFile ini(perUserIniFilePath());
        ini.ReadFromFileNoException();
        JuceUtils::loadWindowPosFromIni(this, ini, getPreferredWidth(), getPreferredHeight());
        return true;
    }

    void close() override
    {
        Tr::TIniFile ini(perUserIniFilePath());
        ini.ReadFromFileNoException();
        JuceUtils::saveWindowPosToIni(this, ini);
        ini.WriteToFile();
    }
};

} // namespace

BContentBase* CreateContentPanel()
{
    return new StandInContentPanel();
}
