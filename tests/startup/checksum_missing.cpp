// A library named like the rank checksum library but without "GetCH", for
// the start-up test of an invalid core library.
extern "C" __declspec(dllexport) int NotTheChecksum() { return 0; }
