#pragma once
// A mount table and a sysfs tree of the test's own, put in the system's place
// (DRAVIK_MOUNTINFO, DRAVIK_SYSFS) for the life of the object. The root is an
// ext4 disk; tests add the volumes they need.

#include "tests/foundation/FileTestSupport.h"

#include <filesystem>
#include <string>

class FakeVolumes
{
public:
    FakeVolumes() { mount("/", "ext4", "/dev/vda"); }

    // Adds a mount, escaping blanks as the kernel does.
    void mount(std::string const& point, std::string const& type, std::string const& source)
    {
        line("50 1 7:3 / " + escaped(point) + " rw,relatime shared:9 - " + type + " " + escaped(source) + " rw");
    }

    // Adds a line as it stands.
    void line(std::string const& text)
    {
        table += text + "\n";
        FileTest::writeFile(dir / "mountinfo", table);
    }

    // Writes a sysfs attribute, such as "block/loop3/loop/backing_file".
    void attribute(std::string const& path, std::string const& value)
    {
        std::filesystem::create_directories(std::filesystem::path(dir / ("sys/" + path)).parent_path());
        FileTest::writeFile(dir / ("sys/" + path), value);
    }

    // The loop device "loopN" backed by the image file, and its partition "loopNpM" when given.
    void loopDevice(std::string const& device, std::string const& image, std::string const& partition = "")
    {
        attribute("block/" + device + "/loop/backing_file", image + "\n");
        if (!partition.empty())
            attribute("block/" + device + "/" + partition + "/partition", "1\n");
    }

    // A folder of the test for volumes and bundles.
    std::string folder(std::string const& name) const
    {
        std::filesystem::create_directories(dir / name);
        return dir / name;
    }

private:
    static std::string escaped(std::string text)
    {
        for (size_t at = text.find(' '); at != std::string::npos; at = text.find(' ', at))
            text.replace(at, 1, "\\040");
        return text;
    }

    FileTest::TempFolder dir;
    std::string table;
    FileTest::ScopedEnv mountinfo { "DRAVIK_MOUNTINFO", (dir / "mountinfo").c_str() };
    FileTest::ScopedEnv sysfs { "DRAVIK_SYSFS", (dir / "sys").c_str() };
};
