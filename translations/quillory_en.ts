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
    <message>
        <source>这不是普通文件（而是设备、管道或套接字），不能当作音频文件打开</source>
        <translation>This is not a regular file (but a device, pipe or socket) and cannot be opened as an audio file</translation>
    </message>
    <message>
        <source>文件的完整路径太长，系统无法打开（最多 %1 字节）；请把文件移到路径较短的文件夹</source>
        <translation>The file&apos;s full path is too long for the system to open (at most %1 bytes); move the file to a folder with a shorter path</translation>
    </message>
    <message>
        <source>文件无法读取：%1</source>
        <translation>The file cannot be read: %1</translation>
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
    <name>FileFailure</name>
    <message>
        <source>磁盘已满</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>超出了磁盘配额</source>
        <translation>the disk quota is used up</translation>
    </message>
    <message>
        <source>文件超出了允许的大小</source>
        <translation>the file is larger than allowed</translation>
    </message>
    <message>
        <source>没有写入权限</source>
        <translation>no permission to write there</translation>
    </message>
    <message>
        <source>文件夹不存在</source>
        <translation>the folder does not exist</translation>
    </message>
    <message>
        <source>路径中有一段不是文件夹</source>
        <translation>part of the path is not a folder</translation>
    </message>
    <message>
        <source>这是一个文件夹</source>
        <translation>that is a folder</translation>
    </message>
    <message>
        <source>文件系统只读</source>
        <translation>the file system is read-only</translation>
    </message>
    <message>
        <source>文件名太长</source>
        <translation>the file name is too long</translation>
    </message>
    <message>
        <source>设备读写出错</source>
        <translation>the device failed to read or write</translation>
    </message>
    <message>
        <source>系统错误 %1（%2）</source>
        <translation>system error %1 (%2)</translation>
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
        <translation>Src</translation>
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
    <message>
        <source>自动重连</source>
        <translation>Auto reconnect</translation>
    </message>
    <message>
        <source>255 字节内没有成为应答</source>
        <translation>no reply within 255 bytes</translation>
    </message>
    <message>
        <source>%1 的应答计满了，但计数里有发送前收到的字节，发送后只收到 %2 字节</source>
        <translation>the reply to %1 was counted full with bytes from before its hand-over; only %2 came after it</translation>
    </message>
    <message>
        <source>SET_REC，录音中：请先停止上一次录音</source>
        <translation>SET_REC while recording: stop the last recording first</translation>
    </message>
    <message>
        <source>没有对此命令应答的解码，%1 字节丢弃</source>
        <translation>no decoding for this command&apos;s reply, %1 bytes dropped</translation>
    </message>
    <message>
        <source>超过应答长度 %1 字节，线路静止 %2 ms 后丢弃</source>
        <translation>past the reply length of %1 bytes, dropped after the line was quiet for %2 ms</translation>
    </message>
    <message>
        <source>正在分析声音……</source>
        <translation>Measuring the sound…</translation>
    </message>
    <message>
        <source>无法分析声音：%1</source>
        <translation>The sound cannot be measured: %1</translation>
    </message>
</context>
<context>
    <name>FrameMeaning</name>
    <message>
        <source>音源 %1，监听 %2，SPK %3，音量 %4</source>
        <translation>input %1, monitor %2, SPK %3, volume %4</translation>
    </message>
    <message>
        <source>开</source>
        <translation>on</translation>
    </message>
    <message>
        <source>关</source>
        <translation>off</translation>
    </message>
    <message>
        <source>不在命令表中的命令 %1</source>
        <translation>command %1, not in the command table</translation>
    </message>
    <message>
        <source>读当前地址（板子自己的命令）</source>
        <translation>read current address (the board&apos;s own command)</translation>
    </message>
    <message>
        <source>%1（应为 %2 字节）</source>
        <translation>%1 (should be %2 bytes)</translation>
    </message>
</context>
<context>
    <name>JobText</name>
    <message>
        <source>任务 %1：%2 个提示音，%3，串口 %4，报告 %5</source>
        <translation>Job %1: %2 prompts, %3, port %4, report %5</translation>
    </message>
    <message>
        <source>第 %1 块板</source>
        <translation>Board %1</translation>
    </message>
    <message>
        <source>还剩 %1</source>
        <translation>%1 left</translation>
    </message>
    <message>
        <source>第 %1 块板：%2，%3</source>
        <translation>Board %1: %2, %3</translation>
    </message>
    <message>
        <source>第 %1 块板：%2</source>
        <translation>Board %1: %2</translation>
    </message>
    <message>
        <source>请换上第 %1 块板，然后按回车（板上带适配器的，拔下再接上即可）</source>
        <translation>Put board %1 on, then press Enter (with an adapter on the board: pull it out and plug the next one in)</translation>
    </message>
    <message>
        <source>%1 块板：%2；报告 %3</source>
        <translation>%1 boards: %2; report %3</translation>
    </message>
    <message>
        <source>名称“%1”已在第 %2 行用过</source>
        <translation>the name &quot;%1&quot; is taken already, on line %2</translation>
    </message>
    <message>
        <source>无法读取音频文件“%1”：%2</source>
        <translation>cannot read the sound file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>to %1 超出了文件的长度 %2</source>
        <translation>to %1 is past the end of the file, %2</translation>
    </message>
    <message>
        <source>from %1 不在文件之内（文件长 %2）</source>
        <translation>from %1 is not within the file (it lasts %2)</translation>
    </message>
    <message>
        <source>from %1 须在 to %2 之前</source>
        <translation>from %1 must come before to %2</translation>
    </message>
    <message>
        <source>提示音“%1”占 %2-%3，超出 %4 的最后一行 %5：长了 %6 行（%7）</source>
        <translation>prompt &quot;%1&quot; takes %2-%3, past the %4&apos;s last row %5: %6 rows (%7) too long</translation>
    </message>
    <message>
        <source>提示音“%1”（%2-%3）与第 %4 行的“%5”（%6-%7）重叠</source>
        <translation>prompt &quot;%1&quot; (%2-%3) overlaps &quot;%5&quot; (%6-%7) on line %4</translation>
    </message>
    <message>
        <source>任务里没有提示音（[[prompt]]）</source>
        <translation>the job has no prompts ([[prompt]])</translation>
    </message>
    <message>
        <source>无法读取任务文件：%1</source>
        <translation>cannot read the job file: %1</translation>
    </message>
    <message>
        <source>%1：已用 %2 行，空闲 %3 行（%4），共 %5 行（%6-%7）
</source>
        <translation>%1: %2 rows used, %3 free (%4), %5 in all (%6-%7)
</translation>
    </message>
    <message>
        <source>操作员按了停止</source>
        <translation>stopped by the operator</translation>
    </message>
    <message>
        <source>板子在 %1 秒内没有应答 %2</source>
        <translation>the board did not answer %2 within %1 s</translation>
    </message>
    <message>
        <source>串口断开：%1</source>
        <translation>the port was lost: %1</translation>
    </message>
    <message>
        <source>声音没有在 to 处停下</source>
        <translation>the sound did not stop at to</translation>
    </message>
    <message>
        <source>无法打开串口 %1</source>
        <translation>cannot open port %1</translation>
    </message>
    <message>
        <source>板上的芯片是 %1，任务要求 %2</source>
        <translation>the board carries %1, the job is for %2</translation>
    </message>
    <message>
        <source>芯片擦除后 %1 秒内没有就绪</source>
        <translation>the chip was not ready within %1 s of erasing</translation>
    </message>
    <message>
        <source>无法打开音频文件“%1”</source>
        <translation>cannot open the sound file &quot;%1&quot;</translation>
    </message>
    <message>
        <source>SET_REC 的应答没有启动播放器</source>
        <translation>the answer to SET_REC did not start the player</translation>
    </message>
    <message>
        <source>记录指针 %1，与预期的 %2 差一行（容许）</source>
        <translation>record pointer %1, one row from the expected %2 (tolerated)</translation>
    </message>
    <message>
        <source>记录指针应为 %1，读到 %2</source>
        <translation>record pointer should be %1, read %2</translation>
    </message>
    <message>
        <source>%1 个提示音中有 %2 个失败</source>
        <translation>%2 of %1 prompts failed</translation>
    </message>
    <message>
        <source>报告没有写入 %1：%2</source>
        <translation>the report was not written to %1: %2</translation>
    </message>
    <message>
        <source>未知的键“%1”</source>
        <translation>unknown key &quot;%1&quot;</translation>
    </message>
    <message>
        <source>缺少键“%1”</source>
        <translation>missing key &quot;%1&quot;</translation>
    </message>
    <message>
        <source>“%1”须为字符串</source>
        <translation>&quot;%1&quot; must be a string</translation>
    </message>
    <message>
        <source>“%1”须为整数</source>
        <translation>&quot;%1&quot; must be an integer</translation>
    </message>
    <message>
        <source>“%1”须在 %2 到 %3 之间，而不是 %4</source>
        <translation>&quot;%1&quot; must be from %2 to %3, not %4</translation>
    </message>
    <message>
        <source>“%1”须为 &quot;mm:ss:hh&quot; 形式的时间或 0 到 2147483647 之间的毫秒数</source>
        <translation>&quot;%1&quot; must be a time &quot;mm:ss:hh&quot; or milliseconds from 0 to 2147483647</translation>
    </message>
    <message>
        <source>TOML 语法错误：%1</source>
        <translation>TOML syntax error: %1</translation>
    </message>
    <message>
        <source>未知的芯片“%1”：可选 %2</source>
        <translation>unknown chip &quot;%1&quot;: give one of %2</translation>
    </message>
    <message>
        <source>“erase”须为 &quot;all&quot; 或 &quot;none&quot;，而不是“%1”</source>
        <translation>&quot;erase&quot; must be &quot;all&quot; or &quot;none&quot;, not &quot;%1&quot;</translation>
    </message>
    <message>
        <source>“prompt”须写成 [[prompt]] 表</source>
        <translation>&quot;prompt&quot; must be written as [[prompt]] tables</translation>
    </message>
    <message>
        <source>start_row %1 低于 0x010：0x010 以下的行存放芯片自带的音效</source>
        <translation>start_row %1 is below 0x010: the rows below it hold the chip&apos;s own sound effects</translation>
    </message>
    <message>
        <source>削波 %1 个采样</source>
        <translation>%1 samples clipped</translation>
    </message>
    <message>
        <source>无法测量音频文件“%1”：%2</source>
        <translation>cannot measure the sound file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>提示音“%1”在 %2 到 %3 之间没有高于 -50 dBFS 的声音，无从修剪</source>
        <translation>prompt &quot;%1&quot; has no sound above -50 dBFS from %2 to %3: nothing to trim to</translation>
    </message>
    <message>
        <source>提示音“%1”是静音，无法归一化</source>
        <translation>prompt &quot;%1&quot; is silent and cannot be normalized</translation>
    </message>
    <message>
        <source>提示音“%1”的峰值 %2 dBFS 归一化到 %3 dBFS 需要 %4 dB 的增益，超出了 ±%5 dB</source>
        <translation>prompt &quot;%1&quot; peaks at %2 dBFS: bringing it to %3 dBFS takes a gain of %4 dB, beyond ±%5 dB</translation>
    </message>
    <message>
        <source>峰值 %1 dBFS，RMS %2 dBFS</source>
        <translation>peak %1 dBFS, RMS %2 dBFS</translation>
    </message>
    <message>
        <source>增益 %1 dB</source>
        <translation>gain %1 dB</translation>
    </message>
    <message>
        <source>修剪省下 %1 行</source>
        <translation>trimming saved %1 rows</translation>
    </message>
    <message>
        <source>削波：源文件有 %1 个满幅采样</source>
        <translation>clips: %1 samples at full scale in the source</translation>
    </message>
    <message>
        <source>削波：增益使峰值达到满幅</source>
        <translation>clips: the gain takes the peak to full scale</translation>
    </message>
    <message>
        <source>过轻：峰值低于 %1 dBFS</source>
        <translation>too quiet: peak below %1 dBFS</translation>
    </message>
    <message>
        <source>芯片的消息表与计划不符：%1</source>
        <translation>the chip&apos;s message table differs from the plan: %1</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>“%1”须为 true 或 false</source>
        <translation>&quot;%1&quot; must be true or false</translation>
    </message>
    <message>
        <source>“%1”须为数值</source>
        <translation>&quot;%1&quot; must be a number</translation>
    </message>
    <message>
        <source>“gain_db”与“normalize_dbfs”只能取其一</source>
        <translation>&quot;gain_db&quot; and &quot;normalize_dbfs&quot; exclude each other</translation>
    </message>
    <message>
        <source>%1：芯片上没有消息（记录指针 %2）
</source>
        <translation>%1: no messages on the chip (record pointer %2)
</translation>
    </message>
    <message>
        <source>%1：%2 条消息，记录指针 %3，消息区 0x010-%4
</source>
        <translation>%1: %2 messages, record pointer %3, message rows 0x010-%4
</translation>
    </message>
    <message>
        <source>芯片上有 %1 条消息，计划 %2 条</source>
        <translation>the chip holds %1 messages, the plan %2</translation>
    </message>
    <message>
        <source>“%1”计划从 %2 开始，芯片上那里没有消息</source>
        <translation>&quot;%1&quot; is planned to start at %2, where the chip has no message</translation>
    </message>
    <message>
        <source>板上的器件 0x%1 不是 ISD1700 系列的型号</source>
        <translation>the device 0x%1 on the board is no model of the ISD1700 series</translation>
    </message>
    <message>
        <source>RD_PLAY_PTR 的应答只有 %1 字节</source>
        <translation>the answer to RD_PLAY_PTR has only %1 bytes</translation>
    </message>
    <message>
        <source>板子报告的播放指针 %1 不在消息区 0x010-%2 之内</source>
        <translation>the play pointer %1 the board gave lies outside the message rows 0x010-%2</translation>
    </message>
    <message>
        <source>RD_REC_PTR 的应答只有 %1 字节</source>
        <translation>the answer to RD_REC_PTR has only %1 bytes</translation>
    </message>
    <message>
        <source>板子报告的记录指针 %1 不在消息区 0x010-%2 之内</source>
        <translation>the record pointer %1 the board gave lies outside the message rows 0x010-%2</translation>
    </message>
</context>
<context>
    <name>MonitorWindow</name>
    <message>
        <source>通信监视</source>
        <translation>Traffic monitor</translation>
    </message>
    <message>
        <source>暂停滚动</source>
        <translation>Pause scrolling</translation>
    </message>
    <message>
        <source>暂停时新的行照样记下，只是不再滚到最后一行</source>
        <translation>While paused, new rows are still recorded; the view just stops scrolling to the last row</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>把选中的行复制到剪贴板（Ctrl+C）</source>
        <translation>Copy the selected rows to the clipboard (Ctrl+C)</translation>
    </message>
    <message>
        <source>保存…</source>
        <translation>Save…</translation>
    </message>
    <message>
        <source>按 --trace 的格式把记录保存为文本文件</source>
        <translation>Save the record as a text file in the format of --trace</translation>
    </message>
    <message>
        <source>帧（十六进制）</source>
        <translation>Frame (hex)</translation>
    </message>
    <message>
        <source>1 到 8 个字节，例如 80 01 23 04 56</source>
        <translation>1 to 8 bytes, for example 80 01 23 04 56</translation>
    </message>
    <message>
        <source>↑ ↓ 翻看最近发送的 %1 帧</source>
        <translation>↑ ↓ go through the last %1 frames sent</translation>
    </message>
    <message>
        <source>应答长度</source>
        <translation>Reply length</translation>
    </message>
    <message>
        <source>0–16</source>
        <translation>0–16</translation>
    </message>
    <message>
        <source>等待应答的字节数，0 到 16</source>
        <translation>Bytes of reply to wait for, 0 to 16</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>保存通信记录</source>
        <translation>Save the traffic record</translation>
    </message>
    <message>
        <source>继续滚动</source>
        <translation>Resume scrolling</translation>
    </message>
    <message>
        <source>没有等待中的接收字节</source>
        <translation>No received bytes waiting</translation>
    </message>
    <message>
        <source>已收 %1 字节，还没有成为应答：%2（应答长度 %3）</source>
        <translation>%1 bytes received, not yet a reply: %2 (reply length %3)</translation>
    </message>
    <message>
        <source>请先选中要复制的行</source>
        <translation>Select the rows to copy first</translation>
    </message>
    <message>
        <source>已复制 %1 行</source>
        <translation>%1 rows copied</translation>
    </message>
    <message>
        <source>无法保存到 %1：%2</source>
        <translation>Cannot save to %1: %2</translation>
    </message>
    <message>
        <source>已按 --trace 的格式保存到 %1</source>
        <translation>Saved to %1 in the format of --trace</translation>
    </message>
    <message>
        <source>这一栏最多 %1 个字符：粘贴的 %2 个字符只留下了前 %1 个</source>
        <translation>This box holds at most %1 characters: of the %2 characters pasted, the first %1 were kept</translation>
    </message>
    <message>
        <source>文本文件 (*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
    <message>
        <source>所有文件 (*)</source>
        <translation>All files (*)</translation>
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
    <message>
        <source>设备正被另一个程序占用</source>
        <translation>the device is in use by another program</translation>
    </message>
    <message>
        <source>设备正被另一个程序占用（进程号 %1）</source>
        <translation>the device is in use by another program (process %1)</translation>
    </message>
    <message>
        <source>设备正被另一个程序占用：%1（进程号 %2）</source>
        <translation>the device is in use by another program: %1 (process %2)</translation>
    </message>
</context>
<context>
    <name>QtSerialPort</name>
    <message>
        <source>%1 写入失败：%2</source>
        <translation>Writing to %1 failed: %2</translation>
    </message>
    <message>
        <source>%1 读取失败：%2</source>
        <translation>Reading from %1 failed: %2</translation>
    </message>
</context>
<context>
    <name>Reconnector</name>
    <message>
        <source>等待 %1 重新接上</source>
        <translation>Waiting for %1 to come back</translation>
    </message>
    <message>
        <source>不再等待 %1</source>
        <translation>No longer waiting for %1</translation>
    </message>
    <message>
        <source>已重新连接 %1</source>
        <translation>Reconnected %1</translation>
    </message>
</context>
<context>
    <name>SourceFigures</name>
    <message>
        <source>时长 %1（%2 ms），%3 Hz，%4 声道
峰值 %5 dBFS，RMS %6 dBFS，满幅（削波）采样 %7 个
开头静音 %8 ms，结尾静音 %9 ms（低于 -50 dBFS）</source>
        <translation>Length %1 (%2 ms), %3 Hz, %4 channel(s)
Peak %5 dBFS, RMS %6 dBFS, %7 samples at full scale (clipped)
Silence %8 ms at the start, %9 ms at the end (below -50 dBFS)</translation>
    </message>
</context>
<context>
    <name>StatusRegister</name>
    <message>
        <source>无标志</source>
        <translation>no flag</translation>
    </message>
    <message>
        <source>；SR0：%1，行 %2</source>
        <translation>; SR0 %1, row %2</translation>
    </message>
    <message>
        <source>；SR0：%1</source>
        <translation>; SR0 %1</translation>
    </message>
    <message>
        <source>；芯片拒绝了 %1：CMD_ERR</source>
        <translation>; the chip refused %1: CMD_ERR</translation>
    </message>
    <message>
        <source>；芯片拒绝了之前的命令：CMD_ERR</source>
        <translation>; the chip refused an earlier command: CMD_ERR</translation>
    </message>
</context>
<context>
    <name>TrafficLog</name>
    <message>
        <source>时间 (ms)</source>
        <translation>Time (ms)</translation>
    </message>
    <message>
        <source>方向</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>字节</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>含义</source>
        <translation>Meaning</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>接收</source>
        <translation>Received</translation>
    </message>
    <message>
        <source>端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>不属于任何帧的字节</source>
        <translation>Bytes that belong to no frame</translation>
    </message>
    <message>
        <source>被下一帧取代</source>
        <translation>replaced by the next frame</translation>
    </message>
    <message>
        <source>未成应答：新的命令重新计数，这 %1 字节不再计入应答</source>
        <translation>No reply: a new command restarted the count; these %1 bytes no longer count toward a reply</translation>
    </message>
    <message>
        <source>；晚到：命令发出 %1 ms 后</source>
        <translation>; late: %1 ms after the command went out</translation>
    </message>
    <message>
        <source>未成应答：%1</source>
        <translation>No reply: %1</translation>
    </message>
    <message>
        <source>未读取：串口关闭时还没有交给接收方</source>
        <translation>Unread: not yet handed to the receiver when the port closed</translation>
    </message>
    <message>
        <source>未读取：输入被清空</source>
        <translation>Unread: the input was discarded</translation>
    </message>
    <message>
        <source>串口已关闭</source>
        <translation>the port closed</translation>
    </message>
    <message>
        <source>已关闭 %1</source>
        <translation>Closed %1</translation>
    </message>
    <message>
        <source>无法打开 %1：%2</source>
        <translation>Cannot open %1: %2</translation>
    </message>
    <message>
        <source>串口已断开</source>
        <translation>the port was disconnected</translation>
    </message>
    <message>
        <source>%1 已断开：%2</source>
        <translation>%1 disconnected: %2</translation>
    </message>
    <message>
        <source>；%1 字节只发出 %2 字节：%3</source>
        <translation>; only %2 of %1 bytes went out: %3</translation>
    </message>
    <message>
        <source>；间隔 %1 ms</source>
        <translation>; gaps %1 ms</translation>
    </message>
    <message>
        <source>跟踪文件 %1 写入失败：%2；此后不再写入，控制台照常运行</source>
        <translation>Writing the trace file %1 failed: %2; nothing more is written to it, and the console goes on</translation>
    </message>
    <message>
        <source>较早的 %1 行已移除（最多保留 %2 行、%3 MB）</source>
        <translation>%1 earlier rows removed (at most %2 rows and %3 MB are kept)</translation>
    </message>
    <message>
        <source>%1 … 另有 %2 字节</source>
        <translation>%1 … %2 more bytes</translation>
    </message>
    <message>
        <source>第 %1 次打开：%2，%3 %4</source>
        <translation>Opening %1: %2, %3 %4</translation>
    </message>
</context>
<context>
    <name>TrafficMonitor</name>
    <message>
        <source>通信监视 (F12)</source>
        <translation>Traffic monitor (F12)</translation>
    </message>
</context>
<context>
    <name>TypedFrame</name>
    <message>
        <source>请输入要发送的帧：1 到 8 个十六进制字节，例如 09 或 80 01 23 04 56</source>
        <translation>Enter the frame to send: 1 to 8 hexadecimal bytes, for example 09 or 80 01 23 04 56</translation>
    </message>
    <message>
        <source>“%1”不是十六进制字节：每个字节写两位十六进制数字（0–9、A–F），字节之间用空格隔开</source>
        <translation>&quot;%1&quot; is not a hexadecimal byte: write each byte as two hexadecimal digits (0–9, A–F), with blanks between bytes</translation>
    </message>
    <message>
        <source>帧最多 8 个字节，这里有 %1 个</source>
        <translation>A frame has at most 8 bytes; this one has %1</translation>
    </message>
    <message>
        <source>请填写应答长度：0 到 16 之间的整数</source>
        <translation>Fill in the reply length: a whole number from 0 to 16</translation>
    </message>
    <message>
        <source>应答长度“%1”无效：请填 0 到 16 之间的整数</source>
        <translation>Reply length &quot;%1&quot; is not valid: give a whole number from 0 to 16</translation>
    </message>
    <message>
        <source>“%1…”（共 %2 个字符）不是十六进制字节：每个字节写两位十六进制数字（0–9、A–F），字节之间用空格隔开</source>
        <translation>&quot;%1…&quot; (%2 characters) is not a hexadecimal byte: write each byte as two hexadecimal digits (0–9, A–F), with blanks between bytes</translation>
    </message>
</context>
<context>
    <name>job::JobDesk</name>
    <message>
        <source>录音任务…</source>
        <translation>Recording job…</translation>
    </message>
    <message>
        <source>请选择录音任务</source>
        <translation>Choose a recording job</translation>
    </message>
    <message>
        <source>录音任务|*.toml|所有文件|*.*</source>
        <extracomment>Pairs of a description and its file pattern, split by &quot;|&quot;; the patterns stay as they are.</extracomment>
        <translation>Recording jobs|*.toml|All files|*.*</translation>
    </message>
    <message>
        <source>读消息表</source>
        <translation>Read message table</translation>
    </message>
</context>
<context>
    <name>job::JobWindow</name>
    <message>
        <source>计划中</source>
        <translation>planned</translation>
    </message>
    <message>
        <source>录音中</source>
        <translation>recording</translation>
    </message>
    <message>
        <source>已校验</source>
        <translation>verified</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>failed</translation>
    </message>
    <message>
        <source>已中断</source>
        <translation>interrupted</translation>
    </message>
    <message>
        <source>未运行</source>
        <translation>not run</translation>
    </message>
    <message>
        <source>录音任务</source>
        <translation>Recording job</translation>
    </message>
    <message>
        <source>打开任务…</source>
        <translation>Open job…</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>起点</source>
        <translation>From</translation>
    </message>
    <message>
        <source>终点</source>
        <translation>To</translation>
    </message>
    <message>
        <source>时长</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>行</source>
        <translation>Rows</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>下一块板</source>
        <translation>Next board</translation>
    </message>
    <message>
        <source>提示音</source>
        <translation>Prompt</translation>
    </message>
    <message>
        <source>任务</source>
        <translation>Job</translation>
    </message>
    <message>
        <source>录音任务 — %1</source>
        <translation>Recording job — %1</translation>
    </message>
    <message>
        <source>%1：%2 个提示音，%3，串口 %4</source>
        <translation>%1: %2 prompts, %3, port %4</translation>
    </message>
    <message>
        <source>剩余 %1</source>
        <translation>%1 left</translation>
    </message>
    <message>
        <source>按“开始”在串口 %1 的板子上录音</source>
        <translation>Press Start to record onto the board on port %1</translation>
    </message>
    <message>
        <source>第 %1 块板</source>
        <translation>Board %1</translation>
    </message>
    <message>
        <source>第 %1 块板：%2</source>
        <translation>Board %1: %2</translation>
    </message>
    <message>
        <source>请换上第 %1 块板，然后按“下一块板”（板上带适配器的，拔下再接上即可）</source>
        <translation>Put board %1 on, then press Next board (with an adapter on the board: pull it out and plug the next one in)</translation>
    </message>
    <message>
        <source>任务无法运行：%1</source>
        <translation>The job cannot run: %1</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>削波</source>
        <translation>clips</translation>
    </message>
    <message>
        <source>过轻</source>
        <translation>too quiet</translation>
    </message>
    <message>
        <source>峰值 / RMS</source>
        <translation>Peak / RMS</translation>
    </message>
    <message>
        <source>增益</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>修剪</source>
        <translation>Trim</translation>
    </message>
    <message>
        <source>读消息表</source>
        <translation>Read message table</translation>
    </message>
    <message>
        <source>%1 dB</source>
        <translation>%1 dB</translation>
    </message>
    <message>
        <source>省下 %1 行</source>
        <translation>%1 rows saved</translation>
    </message>
    <message>
        <source>削波 %1 个采样</source>
        <translation>%1 samples clipped</translation>
    </message>
    <message>
        <source>校验：芯片上的 %1 条消息与计划相符</source>
        <translation>Check: the chip&apos;s %1 messages match the plan</translation>
    </message>
    <message>
        <source>校验：芯片上的消息表与计划不符</source>
        <translation>Check: the chip&apos;s message table differs from the plan</translation>
    </message>
</context>
<context>
    <name>job::MessageWindow</name>
    <message>
        <source>芯片消息表</source>
        <translation>Chip&apos;s message table</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>起始行</source>
        <translation>First row</translation>
    </message>
    <message>
        <source>结束行</source>
        <translation>Last row</translation>
    </message>
    <message>
        <source>时长</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>读消息表</source>
        <translation>Read message table</translation>
    </message>
    <message>
        <source>正在读取芯片的消息表……</source>
        <translation>Reading the chip&apos;s message table…</translation>
    </message>
    <message>
        <source>校验：与计划相符</source>
        <translation>Check: matches the plan</translation>
    </message>
    <message>
        <source>校验：与计划不符：%1</source>
        <translation>Check: differs from the plan: %1</translation>
    </message>
    <message>
        <source>没有读到消息表：%1</source>
        <translation>No message table read: %1</translation>
    </message>
</context>
</TS>
