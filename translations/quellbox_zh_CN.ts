<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
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
</TS>
