// Writing the current GL framebuffer to a PNG file.
#pragma once

#include <string>

// Reads the width x height colour buffer and writes it top row first.
bool writeFramebufferPng(const std::string& path, int width, int height);
