// The library's C interface: these four names are all the viewer looks up.
#include "Player.h"

#if defined(_WIN32)
#define VELQ_EXPORT extern "C" __declspec(dllexport)
#define VELQ_STDCALL __stdcall
#else
#define VELQ_EXPORT extern "C" __attribute__((visibility("default")))
#define VELQ_STDCALL
#endif

VELQ_EXPORT int Trovik(int argc, char** argv)
{
    return velq::Player::instance().run(argc, argv);
}

VELQ_EXPORT void VELQ_STDCALL setInst(void* instance)
{
    velq::Player::instance().setInstance(instance);
}

VELQ_EXPORT void VELQ_STDCALL setW(velq::Callback callback)
{
    velq::Player::instance().setCallback(callback);
}

VELQ_EXPORT int cmd_direct(const char* command)
{
    return velq::Player::instance().command(command);
}
