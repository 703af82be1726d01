<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>LineText</name>
    <message>
        <source>port %1</source>
        <translation>串口 %1</translation>
    </message>
    <message>
        <source>`quellboxctl ports` lists the ports and the devices they reach.</source>
        <translation>`quellboxctl ports` 列出各串口号及其对应的设备。</translation>
    </message>
    <message>
        <source>Check that the board is plugged in and switched on.</source>
        <translation>请确认继电器板已接好并已通电。</translation>
    </message>
    <message>
        <source>Close the program that holds it (a Quellbox window?) and try again.</source>
        <translation>请关闭占用它的程序 (也许是 Quellbox 窗口?), 然后重试。</translation>
    </message>
    <message>
        <source>cannot open %1: %2.</source>
        <translation>无法打开 %1: %2。</translation>
    </message>
</context>
<context>
    <name>LossText</name>
    <message>
        <source>It was unplugged or switched off.</source>
        <translation>设备被拔出或断电。</translation>
    </message>
    <message>
        <source>It reported an error.</source>
        <translation>设备报告了错误。</translation>
    </message>
    <message>
        <source>The system stopped letting this program use it.</source>
        <translation>系统不再允许本程序使用它。</translation>
    </message>
</context>
<context>
    <name>NoticeText</name>
    <message>
        <source>process %1</source>
        <translation>进程 %1</translation>
    </message>
    <message>
        <source>%1 (process %2)</source>
        <translation>%1 (进程 %2)</translation>
    </message>
    <message>
        <source>You may not open %1.</source>
        <translation>无权打开 %1。</translation>
    </message>
    <message>
        <source>Ask an administrator to let your user read and write it.</source>
        <translation>请管理员允许您的用户读写它。</translation>
    </message>
    <message>
        <source>You may not open %1 (owner %2, group %3, mode %4).</source>
        <translation>无权打开 %1 (属主 %2, 属组 %3, 权限 %4)。</translation>
    </message>
    <message>
        <source>You were added to the group %1 after logging in: log out and in again.</source>
        <translation>您是在登录之后才加入 %1 组的: 请注销后重新登录。</translation>
    </message>
    <message>
        <source>Join the group %1 (sudo usermod -aG %1 $USER), then log out and in again.</source>
        <translation>请加入 %1 组 (sudo usermod -aG %1 $USER), 然后注销并重新登录。</translation>
    </message>
    <message>
        <source>Only %1 may use it: ask an administrator to give it a group you can join, with mode 0660 (a udev rule).</source>
        <translation>只有 %1 能使用它: 请管理员把它交给一个您可以加入的组, 权限设为 0660 (udev 规则)。</translation>
    </message>
    <message>
        <source>Port %1 reaches no serial device.</source>
        <translation>串口号 %1 没有对应的串口设备。</translation>
    </message>
    <message>
        <source>Enter a port number from 1 up; the port field&apos;s tooltip tells which device a number reaches.</source>
        <translation>请输入 1 或更大的串口号; 鼠标停在串口号上可看到它对应的设备。</translation>
    </message>
    <message>
        <source>%1 is not there.</source>
        <translation>%1 不存在。</translation>
    </message>
    <message>
        <source>Plug the adapter in, then open the port again.</source>
        <translation>请插好串口适配器, 再打开串口。</translation>
    </message>
    <message>
        <source>%1 is in use by another program.</source>
        <translation>%1 正被其他程序占用。</translation>
    </message>
    <message>
        <source>%1 is in use by %2.</source>
        <translation>%1 正被 %2 占用。</translation>
    </message>
    <message>
        <source>Close that program, then open the port again.</source>
        <translation>请关闭该程序, 再打开串口。</translation>
    </message>
    <message>
        <source>%1 is locked by %2, which has ended.</source>
        <translation>%1 被 %2 锁定, 但该程序已经结束。</translation>
    </message>
    <message>
        <source>Remove the lock it left behind (sudo rm %1), then open the port again.</source>
        <translation>请删除它留下的锁文件 (sudo rm %1), 再打开串口。</translation>
    </message>
    <message>
        <source>%1 could not be opened as a serial port.</source>
        <translation>%1 无法作为串口打开。</translation>
    </message>
    <message>
        <source>Check that it is a serial device, then open the port again.</source>
        <translation>请确认它是串口设备, 再打开串口。</translation>
    </message>
    <message>
        <source>%1 went away; the port has been closed.</source>
        <translation>%1 已断开, 串口已关闭。</translation>
    </message>
    <message>
        <source>Check the cable and the board&apos;s power, then open the port again.</source>
        <translation>请检查连线和继电器板电源, 再打开串口。</translation>
    </message>
</context>
<context>
    <name>OperatorNotice</name>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>PortText</name>
    <message>
        <source>virtual board, %1</source>
        <translation>虚拟继电器板, %1</translation>
    </message>
    <message>
        <source>%1, link %2</source>
        <translation>%1, 链接 %2</translation>
    </message>
    <message>
        <source>link %1</source>
        <translation>链接 %1</translation>
    </message>
    <message>
        <source>%1 -&gt; no serial device</source>
        <translation>%1 -&gt; 没有串口设备</translation>
    </message>
    <message>
        <source>it does not exist</source>
        <translation>该目录不存在</translation>
    </message>
    <message>
        <source>it is not a folder</source>
        <translation>它不是目录</translation>
    </message>
    <message>
        <source>it belongs to another user</source>
        <translation>它属于另一个用户</translation>
    </message>
    <message>
        <source>its mode is %1, not 0700</source>
        <translation>其权限为 %1, 而不是 0700</translation>
    </message>
    <message>
        <source>Qt refuses it</source>
        <translation>Qt 拒绝使用它</translation>
    </message>
    <message>
        <source>no port links are read at all</source>
        <translation>不会读取任何端口链接</translation>
    </message>
    <message>
        <source>port links are read from %1 instead</source>
        <translation>改为从 %1 读取端口链接</translation>
    </message>
    <message>
        <source>the runtime folder %1 (XDG_RUNTIME_DIR) cannot be used: %2; %3, so a port number may reach another device than the one linked there. Make it a folder of this user with mode 0700 (for a service: RuntimeDirectoryMode=0700).</source>
        <translation>运行时目录 %1 (XDG_RUNTIME_DIR) 无法使用: %2; %3, 因此端口号可能指向另一个设备, 而不是在那里链接的设备。请将其设为属于本用户、权限为 0700 的目录 (服务请设置 RuntimeDirectoryMode=0700)。</translation>
    </message>
</context>
<context>
    <name>QuellboxMqtt</name>
    <message>
        <source>board %1 (address %2)</source>
        <translation>继电器板 %1 (地址 %2)</translation>
    </message>
    <message>
        <source>board %1 (address %2) answers</source>
        <translation>继电器板 %1 (地址 %2) 有应答</translation>
    </message>
    <message>
        <source>board %1 (address %2) does not answer</source>
        <translation>继电器板 %1 (地址 %2) 没有应答</translation>
    </message>
    <message>
        <source>ignored a message on %1: not a command topic</source>
        <translation>已忽略 %1 上的消息: 不是命令主题</translation>
    </message>
    <message>
        <source>ignored %1 on %2: expected ON, OFF or TOGGLE (ON or OFF for all channels)</source>
        <translation>已忽略 %2 上的 %1: 应为 ON, OFF 或 TOGGLE (全部通道只接受 ON 或 OFF)</translation>
    </message>
    <message>
        <source>ignored TOGGLE on %1: the board&apos;s state is not known</source>
        <translation>已忽略 %1 上的 TOGGLE: 继电器板状态未知</translation>
    </message>
    <message>
        <source>lost %1 (%2): %3</source>
        <translation>失去 %1 (%2): %3</translation>
    </message>
    <message>
        <source>opened %1 (%2)</source>
        <translation>已打开 %1 (%2)</translation>
    </message>
    <message>
        <source>%1 Trying again with growing pauses (up to %2 s).</source>
        <translation>%1 将以逐渐加长的间隔重试 (最长 %2 秒)。</translation>
    </message>
    <message>
        <source>--%1 (%2 in the config file): %3 is not %4</source>
        <translation>--%1 (配置文件中的 %2): %3 不是%4</translation>
    </message>
    <message>
        <source>a board address from 0 to 255, optionally followed by =ID</source>
        <translation>0 到 255 的继电器板地址 (可后接 =ID)</translation>
    </message>
    <message>
        <source>a board id of 1 to %1 letters, digits, _ or -</source>
        <translation>由 1 到 %1 个字母, 数字, _ 或 - 组成的继电器板标识</translation>
    </message>
    <message>
        <source>--boards: address or id given twice in %1</source>
        <translation>--boards: %1 中有重复的地址或标识</translation>
    </message>
    <message>
        <source>the config file %1 has an unknown setting %2</source>
        <translation>配置文件 %1 中有未知设置 %2</translation>
    </message>
    <message>
        <source>Puts the relay boards on one serial line onto an MQTT broker.
User name and password come from --credentials FILE (first line the user name, second line the password) or from QUELLBOX_MQTT_USERNAME and QUELLBOX_MQTT_PASSWORD, never from the command line.</source>
        <translation>把一条串口线上的继电器板接入 MQTT 代理。
用户名和密码来自 --credentials 文件 (第一行用户名, 第二行密码) 或 QUELLBOX_MQTT_USERNAME 和 QUELLBOX_MQTT_PASSWORD, 绝不来自命令行。</translation>
    </message>
    <message>
        <source>INI config file; options given here win</source>
        <translation>INI 配置文件; 命令行选项优先</translation>
    </message>
    <message>
        <source>serial port number (default 1)</source>
        <translation>串口号 (默认 1)</translation>
    </message>
    <message>
        <source>open this serial device instead of a port number, e.g. /dev/serial/by-id/usb-...-if00-port0</source>
        <translation>打开此串口设备而不用串口号, 例如 /dev/serial/by-id/usb-...-if00-port0</translation>
    </message>
    <message>
        <source>board addresses on the line, each optionally =ID (default 1=board1), e.g. 1=bench-a,2=bench-b</source>
        <translation>线上的继电器板地址, 每个可带 =ID (默认 1=board1), 例如 1=bench-a,2=bench-b</translation>
    </message>
    <message>
        <source>broker host (default localhost)</source>
        <translation>代理主机 (默认 localhost)</translation>
    </message>
    <message>
        <source>broker port (default 1883, with TLS 8883)</source>
        <translation>代理端口 (默认 1883, 使用 TLS 时 8883)</translation>
    </message>
    <message>
        <source>keep-alive in seconds (default 30)</source>
        <translation>保活间隔, 单位秒 (默认 30)</translation>
    </message>
    <message>
        <source>file with the user name and the password</source>
        <translation>存放用户名和密码的文件</translation>
    </message>
    <message>
        <source>connect with TLS (system CAs)</source>
        <translation>使用 TLS 连接 (系统 CA)</translation>
    </message>
    <message>
        <source>connect with TLS, trusting this CA file</source>
        <translation>使用 TLS 连接, 信任此 CA 文件</translation>
    </message>
    <message>
        <source>topic prefix (default quellbox)</source>
        <translation>主题前缀 (默认 quellbox)</translation>
    </message>
    <message>
        <source>no Home Assistant discovery</source>
        <translation>不发布 Home Assistant 自动发现</translation>
    </message>
    <message>
        <source>Home Assistant discovery prefix (default homeassistant)</source>
        <translation>Home Assistant 自动发现前缀 (默认 homeassistant)</translation>
    </message>
    <message>
        <source>unexpected argument %1 (user name and password never go on the command line; see --help)</source>
        <translation>多余的参数 %1 (用户名和密码绝不放在命令行上; 见 --help)</translation>
    </message>
    <message>
        <source>cannot read the config file %1</source>
        <translation>无法读取配置文件 %1</translation>
    </message>
    <message>
        <source>the config file %1 is not a valid INI file</source>
        <translation>配置文件 %1 不是有效的 INI 文件</translation>
    </message>
    <message>
        <source>give either --port or --device (port or device in the config file), not both</source>
        <translation>--port 和 --device (配置文件中的 port 和 device) 只能给一个</translation>
    </message>
    <message>
        <source>a path</source>
        <translation>路径</translation>
    </message>
    <message>
        <source>a port number from 1</source>
        <translation>1 或更大的串口号</translation>
    </message>
    <message>
        <source>a host</source>
        <translation>主机名</translation>
    </message>
    <message>
        <source>cannot read the CA file %1</source>
        <translation>无法读取 CA 文件 %1</translation>
    </message>
    <message>
        <source>a port from 1 to 65535</source>
        <translation>1 到 65535 的端口</translation>
    </message>
    <message>
        <source>a number of seconds, 5 to 3600</source>
        <translation>5 到 3600 的秒数</translation>
    </message>
    <message>
        <source>a topic prefix: levels of letters, digits, _ or - separated by single slashes</source>
        <translation>主题前缀: 由字母, 数字, _ 或 - 组成的层级, 以单个斜杠分隔</translation>
    </message>
    <message>
        <source>a topic prefix</source>
        <translation>主题前缀</translation>
    </message>
    <message>
        <source>cannot read the credentials file %1: %2</source>
        <translation>无法读取登录文件 %1: %2</translation>
    </message>
    <message>
        <source>warning: every user of this machine may read the credentials file %1; make it readable only by the service (chmod 640)</source>
        <translation>警告: 本机所有用户都能读取登录文件 %1; 请改为只有服务可读 (chmod 640)</translation>
    </message>
    <message>
        <source>the credentials file %1 has no user name on its first line</source>
        <translation>登录文件 %1 的第一行没有用户名</translation>
    </message>
    <message>
        <source>QUELLBOX_MQTT_PASSWORD is set but QUELLBOX_MQTT_USERNAME is not; set both or neither</source>
        <translation>设置了 QUELLBOX_MQTT_PASSWORD 却没有设置 QUELLBOX_MQTT_USERNAME; 请两个都设或都不设</translation>
    </message>
    <message>
        <source>check the CA file and that the broker&apos;s certificate names this host</source>
        <translation>请检查 CA 文件, 并确认代理的证书包含此主机名</translation>
    </message>
    <message>
        <source>%1: cannot set up TLS: %2</source>
        <translation>%1: 无法设置 TLS: %2</translation>
    </message>
    <message>
        <source>cannot reach the broker %1:%2: %3</source>
        <translation>无法连到代理 %1:%2: %3</translation>
    </message>
    <message>
        <source>%1: %2; trying again with growing pauses (up to %3 s)</source>
        <translation>%1: %2; 将以逐渐加长的间隔重试 (最长 %3 秒)</translation>
    </message>
    <message>
        <source>the broker %1:%2 refused the connection: %3</source>
        <translation>代理 %1:%2 拒绝了连接: %3</translation>
    </message>
    <message>
        <source>check the user name and password (--credentials or QUELLBOX_MQTT_USERNAME / QUELLBOX_MQTT_PASSWORD) and the broker&apos;s access list</source>
        <translation>请检查用户名和密码 (--credentials 或 QUELLBOX_MQTT_USERNAME / QUELLBOX_MQTT_PASSWORD) 以及代理的访问控制列表</translation>
    </message>
    <message>
        <source>%1: connected to the broker %2:%3</source>
        <translation>%1: 已连接到代理 %2:%3</translation>
    </message>
    <message>
        <source>lost the connection to the broker %1:%2</source>
        <translation>与代理 %1:%2 的连接断开</translation>
    </message>
    <message>
        <source>could not connect to the broker %1:%2</source>
        <translation>无法连接到代理 %1:%2</translation>
    </message>
    <message>
        <source>ignored %1 on %2: a retained command (the broker replays it at every start); publish commands without retain, and clear it with: mosquitto_pub -r -n -t %2</source>
        <translation>已忽略 %2 上的 %1：这是保留的命令（代理在每次启动时都会重放它）；发布命令时请不要设置保留标志，可用以下命令清除：mosquitto_pub -r -n -t %2</translation>
    </message>
    <message>
        <source>board %1 (address %2): %3</source>
        <translation>板 %1（地址 %2）：%3</translation>
    </message>
    <message>
        <source>the TLS certificate of the broker %1 does not name %2, the host connected to: connect by a name the certificate carries, or issue it for this one</source>
        <translation>代理 %1 的 TLS 证书未包含所连接的主机名 %2：请使用证书中列出的名称连接，或为该主机名签发证书</translation>
    </message>
    <message>
        <source>the TLS certificate of the broker %1 is not trusted: no CA in %2 signed it (check --ca-file / ca_file)</source>
        <translation>代理 %1 的 TLS 证书不受信任：%2 中没有任何 CA 为其签名（请检查 --ca-file / ca_file）</translation>
    </message>
    <message>
        <source>the TLS handshake with the broker %1 failed: %2</source>
        <translation>与代理 %1 的 TLS 握手失败：%2</translation>
    </message>
</context>
<context>
    <name>QuellboxSession</name>
    <message>
        <source>dropped an answer whose byte 1 names board %1: that board answers late or out of turn</source>
        <translation>已丢弃一个应答：其字节 1 指向板 %1，该板应答过迟或不按次序</translation>
    </message>
    <message>
        <source>dropped an answer that began while the poll was still going out: a late answer to the frame before</source>
        <translation>已丢弃一个在查询帧仍在发送时开始的应答：这是对上一帧的迟到应答</translation>
    </message>
    <message>
        <source>dropped the answers to one poll: more than one came, and which is this board&apos;s cannot be told</source>
        <translation>已丢弃对同一次查询的应答：收到了不止一个，无法判断哪个属于本板</translation>
    </message>
    <message>
        <source>dropped an answer that came after the poll was answered: a board answers late or twice</source>
        <translation>已丢弃一个在查询已得到应答之后到达的应答：有板应答过迟或重复应答</translation>
    </message>
    <message>
        <source>%1 answers dropped since the last report, told at most once a minute</source>
        <translation>自上次报告以来丢弃了 %1 个应答，每分钟至多报告一次</translation>
    </message>
</context>
<context>
    <name>WindowText</name>
    <message>
        <source>The port number is a whole number from 0 to 255; &quot;%1&quot; is not one.</source>
        <translation>串口号须为 0 到 255 的整数, &quot;%1&quot; 不是。</translation>
    </message>
    <message>
        <source>The board address is a whole number from 0 to 255; &quot;%1&quot; is not one. Until it is corrected nothing is sent to the board.</source>
        <translation>模块地址是 0 到 255 之间的整数；&quot;%1&quot; 不是。改正之前不会向模块发送任何内容。</translation>
    </message>
    <message>
        <source>The board address, a whole number from 0 to 255.</source>
        <translation>模块地址，0 到 255 之间的整数。</translation>
    </message>
</context>
<context>
    <name>quellboxctl</name>
    <message>
        <source>Usage: quellboxctl [OPTIONS] COMMAND [ARGS]

Switch and read a 16-channel serial relay board from scripts and test benches.

Commands:
  status               print the 16 channel states
  on CHANNEL...        energize the channels (1 to 16) and confirm it from the board
  off CHANNEL...       release the channels and confirm it
  toggle CHANNEL...    flip the channels from their reported state and confirm it
  all on | all off     energize or release all 16 channels and confirm it
  watch                print one line per change until SIGINT or SIGTERM
  ports                list the port numbers and the devices they reach

Options:
  -p, --port N         the board&apos;s port number, as in the window (default 1)
  -d, --device PATH    open this serial device instead of a port number
  -a, --address A      the board&apos;s address, 0 to 255 (default 1)
  -t, --timeout MS     how long switching may take to be confirmed (default 1000)
      --json           print JSON: one object for status and switching, JSON lines for
                       watch and ports
  -v, --verbose        print the confirmed states after switching, and every frame on
                       stderr
      --reconnect      watch: survive the device going away and resume when it returns
      --probe          ports: ask the board at --address on every port which one answers
  -h, --help           this text
  -V, --version        the program&apos;s version

Numbers are plain decimal integers. One frame goes to the board every 50 ms.

Exit status:
  0  done, and for switching confirmed by the board&apos;s own status
  2  bad arguments (nothing was written to the line)
  3  the port could not be opened (missing, busy, or no permission)
  4  the board did not answer (six polls without a status frame); ports --probe: none
     answered
  5  the board answered but did not confirm the asked state within the timeout
  6  the port was lost (unplugged or switched off)
</source>
        <translation>用法: quellboxctl [选项] 命令 [参数]

在脚本和测试台上切换和读取 16 通道串口继电器板。

命令:
  status               打印 16 个通道的状态
  on 通道...           吸合这些通道 (1 到 16), 并由继电器板确认
  off 通道...          释放这些通道, 并确认
  toggle 通道...       按报告的状态翻转这些通道, 并确认
  all on | all off     吸合或释放全部 16 个通道, 并确认
  watch                每有变化打印一行, 直到 SIGINT 或 SIGTERM
  ports                列出各串口号及其对应的设备

选项:
  -p, --port N         继电器板的串口号, 与窗口中的相同 (默认 1)
  -d, --device 路径    打开此串口设备而不用串口号
  -a, --address A      继电器板地址, 0 到 255 (默认 1)
  -t, --timeout 毫秒   切换得到确认的最长时间 (默认 1000)
      --json           打印 JSON: status 和切换命令各一个对象, watch 和 ports
                       每行一个对象
  -v, --verbose        切换后打印已确认的状态, 并在 stderr 上打印每一帧
      --reconnect      watch: 设备断开后继续等待, 恢复后接着监视
      --probe          ports: 在每个串口上询问 --address 处的继电器板, 看哪个应答
  -h, --help           本说明
  -V, --version        程序版本

数字均为普通十进制整数。每 50 毫秒向继电器板发送一帧。

退出状态:
  0  完成; 切换命令已由继电器板自己的状态确认
  2  参数错误 (没有向串口线写入任何内容)
  3  无法打开串口 (不存在, 被占用或无权限)
  4  继电器板没有应答 (连续六次轮询没有状态帧); ports --probe: 没有任何应答
  5  继电器板有应答, 但在超时前没有确认所要求的状态
  6  串口丢失 (被拔出或断电)
</translation>
    </message>
    <message>
        <source>%1 must be a whole number from %2 to %3, not &quot;%4&quot;</source>
        <translation>%1 必须是 %2 到 %3 的整数, 而不是 &quot;%4&quot;</translation>
    </message>
    <message>
        <source>name at least one channel (1 to 16)</source>
        <translation>请至少指定一个通道 (1 到 16)</translation>
    </message>
    <message>
        <source>a channel</source>
        <translation>通道</translation>
    </message>
    <message>
        <source>no command given (try: quellboxctl --help)</source>
        <translation>没有给出命令 (试试: quellboxctl --help)</translation>
    </message>
    <message>
        <source>%1 takes no arguments, not &quot;%2&quot;</source>
        <translation>%1 不带参数, 多了 &quot;%2&quot;</translation>
    </message>
    <message>
        <source>all takes exactly one word: on or off</source>
        <translation>all 后面只能跟一个词: on 或 off</translation>
    </message>
    <message>
        <source>unknown command &quot;%1&quot; (try: quellboxctl --help)</source>
        <translation>未知命令 &quot;%1&quot; (试试: quellboxctl --help)</translation>
    </message>
    <message>
        <source>--%1 applies to %2 only</source>
        <translation>--%1 只适用于 %2</translation>
    </message>
    <message>
        <source>give either --port or --device, not both</source>
        <translation>--port 和 --device 只能给一个</translation>
    </message>
    <message>
        <source>ports looks at every port; --port and --device do not apply</source>
        <translation>ports 查看所有串口; 不适用 --port 和 --device</translation>
    </message>
    <message>
        <source>--device needs a path</source>
        <translation>--device 需要一个路径</translation>
    </message>
    <message>
        <source>no board with address %1 answered on any port</source>
        <translation>没有任何串口上地址为 %1 的继电器板应答</translation>
    </message>
    <message>
        <source>no serial device found (is the board plugged in?)</source>
        <translation>找不到串口设备 (继电器板接好了吗?)</translation>
    </message>
    <message>
        <source>board %1 on %2</source>
        <translation>%2 上的继电器板 %1</translation>
    </message>
    <message>
        <source>%1 did not answer (six polls without a status frame). Check the address, the cable and the board&apos;s power.</source>
        <translation>%1 没有应答 (连续六次轮询没有状态帧)。请检查地址, 连线和继电器板电源。</translation>
    </message>
    <message>
        <source>lost %1: %2</source>
        <translation>失去 %1: %2</translation>
    </message>
    <message>
        <source>channel %1 is %2, asked %3</source>
        <translation>通道 %1 为 %2, 要求 %3</translation>
    </message>
    <message>
        <source>%1 did not answer (six polls without a status frame); the switching is not confirmed. Check the address, the cable and the board&apos;s power.</source>
        <translation>%1 没有应答 (连续六次轮询没有状态帧); 切换未得到确认。请检查地址, 连线和继电器板电源。</translation>
    </message>
    <message>
        <source>lost %1: %2; the switching is not confirmed.</source>
        <translation>失去 %1: %2; 切换未得到确认。</translation>
    </message>
    <message>
        <source>%1 did not answer within %2 ms; the switching is not confirmed.</source>
        <translation>%1 在 %2 毫秒内没有应答; 切换未得到确认。</translation>
    </message>
    <message>
        <source>no command was sent</source>
        <translation>没有发出命令</translation>
    </message>
    <message>
        <source>%1 answered but did not confirm within %2 ms: %3.</source>
        <translation>%1 有应答, 但在 %2 毫秒内没有确认: %3。</translation>
    </message>
    <message>
        <source>its last report came before the last command went out</source>
        <translation>它最后一次报告早于最后一条命令发出</translation>
    </message>
    <message>
        <source>lost %1: %2. Run again once it is back, or watch with --reconnect.</source>
        <translation>失去 %1: %2。请在它恢复后重新运行, 或用 --reconnect 进行监视。</translation>
    </message>
    <message>
        <source>Waiting for it.</source>
        <translation>正在等待它。</translation>
    </message>
</context>
</TS>
