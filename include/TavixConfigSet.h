/*
 * TavixConfigSet.h - settings and shared run-time facts of the host-audit agent.
 *
 * Every function uses the Windows API calling convention (the callee pops its
 * arguments); every argument and result is 32 bits wide. Buffers belong to the
 * caller; no function allocates for the caller or keeps a pointer after it
 * returns. Text is single-byte, in the system's ANSI code page.
 *
 * The header needs no system header. Link against TavixConfigSet.lib (MSVC,
 * clang-cl) or libTavixConfigSet.dll.a (MinGW).
 */
#ifndef TAVIXCONFIGSET_H
#define TAVIXCONFIGSET_H

#ifndef __cplusplus
#error "TavixConfigSet.h declares C++ functions in namespace tavixconfig; compile as C++"
#endif

#ifndef WINAPI
#define WINAPI __stdcall
#endif

namespace tavixconfig {

/* Audit centre (environment store). */
int WINAPI GetCenterAddr(char* buffer, unsigned int size);        /* 0 / -1 */
int WINAPI SetCenterAddr(const char* text, unsigned int length);
int WINAPI GetCenterPort(void);                                   /* default 80 */
int WINAPI SetCenterPort(int value);
int WINAPI GetCenterUdpPort(void);                                /* default 8000 */
int WINAPI SetCenterUdpPort(int value);
int WINAPI GetHandshakeInterval(void);                            /* default 60 */
int WINAPI SetHandshakeInterval(int value);

/* Venue and user (environment store). */
int WINAPI GetUnitIdentity(char* buffer, unsigned int size);
int WINAPI SetUnitIdentity(const char* text, unsigned int length);
int WINAPI GetUnitRegistCode(char* buffer, unsigned int size);
int WINAPI SetUnitRegistCode(const char* text, unsigned int length);
int WINAPI GetCurrentUser(char* buffer, unsigned int size);
int WINAPI SetCurrentUser(const char* text, unsigned int length);
int WINAPI GetCurrentUserInfo(char* buffer, unsigned int size);

/* Monitoring and alarms (environment store). */
int WINAPI GetSnapScreenFrequency(void);                          /* default 15 */
int WINAPI SetSnapScreenFrequency(int value);
int WINAPI GetDuplicateAlarmSwitch(void);
int WINAPI SetDuplicateAlarmSwitch(int value);
int WINAPI GetDuplicateAlarmTime(void);                           /* default 60 */
int WINAPI SetDuplicateAlarmTime(int value);

/* Other shared facts (environment store). */
int WINAPI GetDownFileServerPort(void);                           /* default 10022 */
int WINAPI SetDownFileServerPort(int value);
int WINAPI GetOnlineMachineNo(void);
int WINAPI SetOnlineMachineNo(int value);
unsigned long WINAPI GetOutsideIP(void);
int WINAPI GetTerminalOnline(void);
int WINAPI GetRserviceFunctionFlag(void);                         /* default -1 */
int WINAPI SetRserviceFunctionFlag(int value);
int WINAPI SetSetupPath(const char* text, unsigned int length);
int WINAPI SetUpLoadFilePath(const char* text, unsigned int length);

/* Host directory and upload directory (derived; always 0). */
int WINAPI GetSetupPath(char* buffer, unsigned int size);
int WINAPI GetUpLoadFilePath(char* buffer, unsigned int size);

/* Configuration file NetbarCfg.ini in the host directory. */
int WINAPI GetLogServerAddr(char* buffer, unsigned int size);     /* 0 / -1 */
int WINAPI SetLogServerAddr(const char* text, unsigned int length);
int WINAPI GetLogServerPort(void);                                /* default 10088 */
int WINAPI SetLogServerPort(int port);
int WINAPI GetProberDownLoadHost(char* buffer, unsigned int size);
int WINAPI SetProberDownLoadHost(char* text, unsigned int length);
int WINAPI GetProberDownLoadPort(void);                           /* default -1 */
int WINAPI SetProberDownLoadPort(int port);
long WINAPI GetLastActiveTime(void);
int WINAPI SetLastActiveTime(long time);                          /* 0 / -1 */
long WINAPI GetLastFaiLedTime(void);
int WINAPI SetLastFaiLedTime(long time);                          /* 0 / -1 */

/* Host identity. */
int WINAPI GetLocalAddr(char* buffer, unsigned int size);
int WINAPI GetCommuAddrStr(char* buffer, unsigned int size);
int WINAPI SetCommuAddrStr(const char* text, unsigned int length);
long WINAPI GetCommuAddr(void);
int WINAPI GetLocalHostName(char* buffer, unsigned int size);
int WINAPI GetProberDownLoadHostPortFromSureName(char* buffer, unsigned int size);

/* Time. */
unsigned long WINAPI GetTimeOffset(void);
unsigned long WINAPI GetSyncTime(void);
unsigned long WINAPI GetSyncTimeMem(void);
void WINAPI setSyncTime(long value);
int WINAPI SetCenterTimeSync(long centreTime);
int WINAPI GetCenterTimeSync(void);

/* Process-local flags. */
int WINAPI GetQQFunc(void);
int WINAPI SetQQFunc(int value);
int WINAPI GetP2POnLineStatus(void);
int WINAPI SetP2POnLineStatus(int value);

} /* namespace tavixconfig */

/* Plain-name aliases. */
extern "C" {
int WINAPI SetSetupPath_API(const char* text, unsigned int length);
int WINAPI SetLogServerAddr_API(const char* text, unsigned int length);
int WINAPI SetLogServerPort_API(int port);
}

#endif /* TAVIXCONFIGSET_H */
