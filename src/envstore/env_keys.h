// Every key this library reads or writes in the environment store, spelled
// as the agent's other programs spell them.
#pragma once

namespace tavixconfig::env_keys {

constexpr char kUnitIdentity[] = "Audit.Unit.Identity";
constexpr char kUnitRegisterCode[] = "Audit.Unit.RegisterCode";
constexpr char kInstallPath[] = "Audit.System.Install.Path";
constexpr char kScreenFrequency[] = "Audit.Monitor.Screen.Frequency";
constexpr char kDuplicateAlarmEnable[] = "Audit.Alarm.DuplicateControl.Enable";
constexpr char kDuplicateAlarmValve[] = "Audit.Alarm.DuplicateControl.Valve";
constexpr char kCurrentUser[] = "RealName.CurrentUser";
constexpr char kCurrentUserAllInfo[] = "RealName.CurrentUserAllInfo";
constexpr char kCenterAddr[] = "Network.CenterAddr";
constexpr char kCenterPort[] = "Network.CenterPort";
constexpr char kCenterUdpPort[] = "Network.CenterUDPPort";
constexpr char kHandshakeInterval[] = "Network.Handshake.Interval";
constexpr char kDownFileServerPort[] = "Network.DownFile.Server.Port";
constexpr char kOnlineMachine[] = "Network.OnlineMachine";
constexpr char kOutsideIp[] = "Network.OutsideIP";
constexpr char kUpFilePath[] = "Network.UpFilePath";
constexpr char kTerminalOnline[] = "TerminalOnLine";
constexpr char kRServiceFunctionFlag[] = "RServiceFunctionFlagKey";
constexpr char kTimeOffset[] = "Network.TimeOffset";
constexpr char kServerTime[] = "Network.ServerTime";
constexpr char kCenterTime[] = "Network.CenterTime";
constexpr char kLocalAddr[] = "Network.LocalAddr";
constexpr char kHostName[] = "Network.HostName";

}  // namespace tavixconfig::env_keys
