// Marks what the engine library exports: the members of CIdea and nothing else
// (TESSIRAL_LOCAL keeps a member of CIdea inside the library).
#pragma once

#if defined(_WIN32)
#if defined(TESSIRAL_BUILDING)
#define TESSIRAL_API __declspec(dllexport)
#else
#define TESSIRAL_API __declspec(dllimport)
#endif
#else
#define TESSIRAL_API __attribute__((visibility("default")))
#endif

#if defined(_WIN32)
#define TESSIRAL_LOCAL
#else
#define TESSIRAL_LOCAL __attribute__((visibility("hidden")))
#endif
