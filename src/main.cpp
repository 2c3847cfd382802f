#include "app/SubMain.h"

int main(int argc, char** argv) { return tobimaru::SubMain(argc, argv); }
