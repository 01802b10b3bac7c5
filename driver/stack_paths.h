// Paths of the stack folders and their images: <base><NNN>/<NN>.bmp.
#pragma once

#include <string>

// The base folder unchanged (no separator added), the folder number with at least three digits,
// zero-padded, then "/": as "%s%03d/".
std::string folder_path(const std::string& base_folder, int folder);

// The folder path, the 1-based image number with at least two digits, zero-padded, then ".bmp":
// as "%s%02d.bmp".
std::string image_path(const std::string& folder_path, int image);

// The number as printf's "%0<digits>d" writes it (a minus sign counts towards the width).
std::string zero_padded(int number, int digits);
