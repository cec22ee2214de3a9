#include "application.h"

int main(int argc, char *argv[])
{
    return runDayloom(argc, argv);
}
