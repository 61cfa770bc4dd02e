#pragma once
// The bridge firmware as Intel HEX text, generated from the firmware build. Writable and
// zero-terminated: the loader splits it in place, so it serves one download per run.
extern char firmwareHexText[];
