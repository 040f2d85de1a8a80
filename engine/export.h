// Marks what the engine library exports: the members of CIdea and nothing else.
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
