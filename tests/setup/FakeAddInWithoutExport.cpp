// A library under the add-in's name that lacks the registration entry point.
extern "C" __attribute__((visibility("default"))) int SomethingElse()
{
    return 0;
}
