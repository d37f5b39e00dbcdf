#pragma once
// The upper-case letter the file system (and CompareStringOrdinal ignoring case) compares a UTF-16 unit as:
// Unicode's simple upper-case mapping where lower-casing leads back, not case folding. Two names are one file
// name when their units map alike; anything beyond the Basic Multilingual Plane maps to itself.

wchar_t UpperCase(wchar_t c);
