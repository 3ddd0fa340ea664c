#ifndef QUINDARELVOXEN_WINDOWS_PATH_H
#define QUINDARELVOXEN_WINDOWS_PATH_H

#include <algorithm>
#include <string>

// The tests receive their files' paths from the build, which under Wine
// names them the Unix way; Wine's drive Z: is the Unix root.
inline std::string windows_path(std::string path)
{
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

#endif
