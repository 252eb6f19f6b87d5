<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AudioPlayer</name>
    <message>
        <source>没有可用的声音输出设备，播放将静音进行</source>
        <translation>No sound output device is available; playback goes on silently</translation>
    </message>
</context>
<context>
    <name>Decoder</name>
    <message>
        <source>没有指定文件</source>
        <translation>No file given</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>The file does not exist</translation>
    </message>
    <message>
        <source>这是一个文件夹，不是音频文件</source>
        <translation>This is a folder, not an audio file</translation>
    </message>
    <message>
        <source>文件无法读取（没有读取权限）</source>
        <translation>The file cannot be read (no read permission)</translation>
    </message>
    <message>
        <source>文件是空的</source>
        <translation>The file is empty</translation>
    </message>
    <message>
        <source>不是可以播放的 mp3 文件（无法识别或已损坏）</source>
        <translation>Not a playable mp3 file (unrecognised or damaged)</translation>
    </message>
    <message>
        <source>文件里没有可以播放的声音数据（可能已损坏或被截断）</source>
        <translation>The file holds no playable sound (it may be damaged or cut short)</translation>
    </message>
    <message>
        <source>mp3 解码器无法启动：%1</source>
        <translation>The mp3 decoder cannot start: %1</translation>
    </message>
    <message>
        <source>文件无法读取</source>
        <translation>The file cannot be read</translation>
    </message>
    <message>
        <source>不是可以播放的音频文件（无法识别格式或已损坏）</source>
        <translation>Not a playable audio file (unknown format or damaged)</translation>
    </message>
    <message>
        <source>文件的采样率或声道数无法播放</source>
        <translation>The file&apos;s sample rate or channel count cannot be played</translation>
    </message>
</context>
<context>
    <name>DeviceTable</name>
    <message>
        <source>未知器件</source>
        <translation>Unknown device</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>ISD设置</source>
        <translation>ISD setup</translation>
    </message>
    <message>
        <source>ISD操作</source>
        <translation>ISD operations</translation>
    </message>
    <message>
        <source>正在播放的文件</source>
        <translation>Playing file</translation>
    </message>
    <message>
        <source>串口号</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>打开串口</source>
        <translation>Open port</translation>
    </message>
    <message>
        <source>打开文件</source>
        <translation>Open file</translation>
    </message>
    <message>
        <source>文件长度</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>设播放点</source>
        <translation>Set cue</translation>
    </message>
    <message>
        <source>试听</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>播放地址</source>
        <translation>Cue</translation>
    </message>
    <message>
        <source> 当前进度</source>
        <translation> Position</translation>
    </message>
    <message>
        <source>音量</source>
        <translation>Vol</translation>
    </message>
    <message>
        <source>音源</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>监听</source>
        <translation>Mon</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>器件复位</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>器件上电</source>
        <translation>Power up</translation>
    </message>
    <message>
        <source>器件ID</source>
        <translation>Device ID</translation>
    </message>
    <message>
        <source>当前地址</source>
        <translation>Current address</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>录音</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>下一段</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>擦除当前</source>
        <translation>Erase current</translation>
    </message>
    <message>
        <source>擦除全部</source>
        <translation>Erase all</translation>
    </message>
    <message>
        <source>读播放地址</source>
        <translation>Read play addr</translation>
    </message>
    <message>
        <source>读录音地址</source>
        <translation>Read rec addr</translation>
    </message>
    <message>
        <source>设置播放地址</source>
        <translation>Set play addr</translation>
    </message>
    <message>
        <source>设置录音地址</source>
        <translation>Set rec addr</translation>
    </message>
    <message>
        <source>设置擦除地址</source>
        <translation>Set erase addr</translation>
    </message>
    <message>
        <source>Quillory 语音芯片工作台  技术支持: support@quillory.example</source>
        <translation>Quillory voice chip bench  Support: support@quillory.example</translation>
    </message>
    <message>
        <source>数据格式非法</source>
        <translation>Invalid data format</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>串口号须为 1 到 16 之间的整数</source>
        <translation>The port number must be a whole number from 1 to 16</translation>
    </message>
    <message>
        <source>串口号 %1 打开 %2
该设备现在存在</source>
        <translation>Port %1 opens %2
The device is present now</translation>
    </message>
    <message>
        <source>串口号 %1 打开 %2
该设备现在不存在</source>
        <translation>Port %1 opens %2
The device is not present now</translation>
    </message>
    <message>
        <source>串口号“%1”无效：请选择 1 到 16 之间的串口号</source>
        <translation>Port number &quot;%1&quot; is not valid: choose a port number from 1 to 16</translation>
    </message>
    <message>
        <source>串口状态</source>
        <translation>Port status</translation>
    </message>
    <message>
        <source>无法打开串口 %1（%2）：%3</source>
        <translation>Cannot open port %1 (%2): %3</translation>
    </message>
    <message>
        <source>关闭串口</source>
        <translation>Close port</translation>
    </message>
    <message>
        <source>器件类型</source>
        <translation>Device type</translation>
    </message>
    <message>
        <source>请先停止上一次录音</source>
        <translation>Stop the last recording first</translation>
    </message>
    <message>
        <source>串口 %1 已断开：%2</source>
        <translation>Port %1 disconnected: %2</translation>
    </message>
    <message>
        <source>串口没打开</source>
        <translation>Port not open</translation>
    </message>
    <message>
        <source>请先选择音频文件</source>
        <translation>Choose an audio file first</translation>
    </message>
    <message>
        <source>无法打开音频文件：%1
%2</source>
        <translation>Cannot open the audio file: %1
%2</translation>
    </message>
    <message>
        <source>请选择音频文件</source>
        <translation>Choose an audio file</translation>
    </message>
    <message>
        <source>音频文件|*.mp3|动画文件|*.wav|所有文件|*.*</source>
        <extracomment>Pairs of a description and its file pattern, split by &quot;|&quot;; the patterns stay as they are.</extracomment>
        <translation>Audio files|*.mp3|Wave files|*.wav|All files|*.*</translation>
    </message>
</context>
<context>
    <name>PortAdvice</name>
    <message>
        <source>%1（没有串口号打开它，可用 --port N=%1 指定）</source>
        <translation>%1 (no port number opens it; give one with --port N=%1)</translation>
    </message>
    <message>
        <source>%1（串口号 %2）</source>
        <translation>%1 (port %2)</translation>
    </message>
    <message>
        <source>当前用户无权读写 %1：请管理员授予读写权限。</source>
        <translation>You may not read and write %1: ask an administrator for read and write access.</translation>
    </message>
    <message>
        <source>%1 属于用户组 %2，当前用户无权读写。把用户加入该组，注销并重新登录后再试：
sudo usermod -aG %2 %3</source>
        <translation>%1 belongs to the group %2, and you may not read and write it. Add yourself to that group, log out and in again, then retry:
sudo usermod -aG %2 %3</translation>
    </message>
    <message>
        <source>系统中没有任何串口设备：请检查适配器是否插好。</source>
        <translation>The system has no serial devices at all: check that the adapter is plugged in.</translation>
    </message>
    <message>
        <source>系统中现有的串口设备：</source>
        <translation>Serial devices in the system:</translation>
    </message>
    <message>
        <source>%1 正被另一个程序占用：请先关闭那个程序，或让它释放该串口。</source>
        <translation>%1 is in use by another program: close that program first, or have it release the port.</translation>
    </message>
    <message>
        <source>设备已从系统中消失，适配器可能被拔出</source>
        <translation>the device has gone from the system; the adapter may have been unplugged</translation>
    </message>
    <message>
        <source>设备已挂断，适配器可能被拔出或对端已关闭</source>
        <translation>the device hung up; the adapter may have been unplugged or the far end closed</translation>
    </message>
    <message>
        <source>设备读写出错（%1）</source>
        <translation>input/output error on the device (%1)</translation>
    </message>
    <message>
        <source>设备接连读取失败（%1）</source>
        <translation>reads from the device keep failing (%1)</translation>
    </message>
</context>
</TS>
