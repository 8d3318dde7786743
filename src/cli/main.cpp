#include <cstdio>

int main()
{
    std::puts("tramino-cli " TRAMINO_VERSION);
    return 0;
}
