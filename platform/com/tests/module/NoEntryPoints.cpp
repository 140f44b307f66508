// A loadable module without the server entry points, for the registration program's tests.
extern "C" __attribute__((visibility("default"))) int quorvaTestNothing()
{
    return 0;
}
