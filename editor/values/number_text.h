#pragma once
#include <string>

// Singles are shown in the general format with at most seven significant
// digits ("0.5", "-6.123234E-17", "1.234568E+07"); doubles with at most 15.
// The text is the same under every C locale; its decimal separator is a dot.
std::string formatSingle(float value);
std::string formatDouble(double value);

// `text` as formatSingle or formatDouble wrote it, with its dot replaced by
// `decimalPoint`, for a window that shows numbers in the user's format.
std::string withDecimalPoint(std::string text, char decimalPoint);

// Nearest integer, halves to the even neighbour.
double roundHalfEven(double value);
