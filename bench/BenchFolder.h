#pragma once
// Settings, documents and the factory content in a folder of the
// benchmarks' own, made at the first call, so that the user's are never
// touched.  (Not removed: the process ends with the benchmarks.)

#include <filesystem>

const std::filesystem::path& benchFolder();
