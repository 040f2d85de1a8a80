// The one source file of each precompiled-header target: CMake compiles the
// header set beside it.
