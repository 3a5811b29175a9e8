// The main window on the offscreen platform, its link on the emulated camera's serial library,
// its settings in memory and its INI in a temporary folder; message boxes are answered OK and
// recorded.
#pragma once

#include "app/CCorvel_5Dlg.h"

#include "camera/RegisterLink.h"
#include "catalogues/ConfigurationTable.h"
#include "controls/MessageBox.h"
#include "emulator/RegisterImage.h"
#include "platform/ProfileSettings.h"
#include "support/BuiltinMaps.h"
#include "support/TempDir.h"

#include "camera/ProtocolFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace corvel::test {

/// A configuration whose register map is not built in (-1: none).
inline int ConfigurationWithoutItsMap()
{
    for (int index = 0; index < kConfigurationCount; ++index)
        if (!FindBuiltinResource(ConfigurationRowFor(index).builtinMapId))
            return index;
    return -1;
}

/// Hands over a fixed list of choices, then cancels.
class ScriptedSelector : public IPortSelector {
public:
    std::vector<PortChoice> choices;
    int runs = 0;
    bool Run(PortChoice& choice) override
    {
        if (runs >= static_cast<int>(choices.size()))
            return false;
        choice = choices[static_cast<std::size_t>(runs++)];
        return true;
    }
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!emu.Loaded())
            GTEST_SKIP() << "emulated library not available: " << emu.Error();
        emu.Reset();
        emu.SetCameraBaud(115200);
        emu.LoadRegisters(emu::CameraRegistersFor(*BuiltinMap(kMap170), 4));
        previousIni = platform::ProfileSettings::Application().File();
        platform::ProfileSettings::Application().SetFile(dir / "Corvel.ini");
        settings.Set(comm::kCheckErrorDisabled, 0);
    }

    void TearDown() override
    {
        window.reset();
        platform::ProfileSettings::Application().SetFile(previousIni);
    }

    CCorvel_5Dlg& MakeWindow()
    {
        window = std::make_unique<CCorvel_5Dlg>(nullptr, &settings);
        window->m_Link.SetClock(&clock);
        window->m_Link.SetDataFolder(dir.Path());
        return *window;
    }

    /// Puts `value` into the camera register field of parameter `name`.
    void SetCameraValue(const char* name, std::uint32_t value)
    {
        RegisterLink reg;
        ASSERT_EQ(GetRegisterLink(window->m_Link, name, reg), 0) << name;
        const std::uint32_t word = emu.Register(reg.address);
        // The mask is in the field's own units, below the shift.
        const std::uint32_t field = reg.mask << reg.shift;
        emu.SetRegister(reg.address, (word & ~field) | ((value & reg.mask) << reg.shift));
    }

    /// A window whose link is on the emulated camera's port and marked connected, without
    /// running the identification.
    void ConnectWithoutIdentification()
    {
        window->m_Link.SetPortIndex(0);
        ASSERT_EQ(window->m_Link.Init(CLSER_EMU_PATH), 0);
        window->m_Link.GoOnline();
        window->m_Link.SetIdentified(true);
        window->m_bConnected = true;
    }

    /// A library folder holding only the emulated serial library, named as the scan finds it.
    std::filesystem::path EmulatedLibraryFolder()
    {
        const std::filesystem::path libs = dir / "libs";
        std::filesystem::create_directories(libs);
        std::filesystem::create_symlink(std::filesystem::path(CLSER_EMU_PATH), libs / "libclser_emu.so");
        return libs;
    }

    emu::ClserEmuControl emu{CLSER_EMU_PATH};
    EmulatorClock clock{emu};
    MemorySettings settings;
    TempDir dir;
    std::filesystem::path previousIni;
    std::vector<std::string> boxes;
    wnd::ScopedMessageBoxHandler boxHandler{[this](const wnd::MessageBoxRequest& r) {
        boxes.push_back(r.text.toStdString());
        return wnd::IDOK;
    }};
    std::unique_ptr<CCorvel_5Dlg> window;
};

}  // namespace corvel::test
