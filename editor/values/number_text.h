#pragma once
#include <string>

// Singles are shown in the general format with at most seven significant
// digits ("0.5", "-6.123234E-17", "1.234568E+07"); doubles with at most 15.
std::string formatSingle(float value);
std::string formatDouble(double value);

// Nearest integer, halves to the even neighbour.
double roundHalfEven(double value);
