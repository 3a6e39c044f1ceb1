#pragma once
// The kernel names of the test process's threads.

#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace testthreads {

inline std::vector<std::string> threadNames()
{
    std::vector<std::string> names;
    DIR* tasks = opendir("/proc/self/task");
    while (dirent* entry = readdir(tasks)) {
        std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
        std::string name;
        if (std::getline(comm, name))
            names.push_back(name);
    }
    closedir(tasks);
    return names;
}

inline int threadsNamed(std::string const& name)
{
    std::vector<std::string> names = threadNames();
    return int(std::count(names.begin(), names.end(), name));
}

} // namespace testthreads
