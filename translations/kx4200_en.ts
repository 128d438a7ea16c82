<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>CommandLine</name>
    <message>
        <source>成功 %d 次, 失败 %d 次</source>
        <translation>%d good, %d failed</translation>
    </message>
    <message>
        <source>串口号 </source>
        <translation>Port </translation>
    </message>
    <message>
        <source>本组曲线共有记录点：%d个</source>
        <translation>Points in this group: %d</translation>
    </message>
    <message>
        <source>曲线组记录日期：</source>
        <translation>Group recorded: </translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>温度1高温报警</source>
        <translation>Temp 1 high alarm</translation>
    </message>
    <message>
        <source>温度1低温报警</source>
        <translation>Temp 1 low alarm</translation>
    </message>
    <message>
        <source>温度2高温报警</source>
        <translation>Temp 2 high alarm</translation>
    </message>
    <message>
        <source>温度2低温报警</source>
        <translation>Temp 2 low alarm</translation>
    </message>
    <message>
        <source>温度3高温报警</source>
        <translation>Temp 3 high alarm</translation>
    </message>
    <message>
        <source>温度3低温报警</source>
        <translation>Temp 3 low alarm</translation>
    </message>
    <message>
        <source>总电流过流报警</source>
        <translation>Total current over-current alarm</translation>
    </message>
    <message>
        <source>总电压过压报警</source>
        <translation>Total voltage over-voltage alarm</translation>
    </message>
    <message>
        <source>总电压欠压报警</source>
        <translation>Total voltage under-voltage alarm</translation>
    </message>
    <message>
        <source>没有发现此串口或此串口被占用</source>
        <translation>Serial port not found or in use</translation>
    </message>
    <message>
        <source>打开串口失败!</source>
        <translation>Could not open the serial port!</translation>
    </message>
    <message>
        <source>打开通信端口失败</source>
        <translation>Could not open the communication port</translation>
    </message>
    <message>
        <source> 通讯失败!</source>
        <translation> Communication failed!</translation>
    </message>
    <message>
        <source>通讯失败!</source>
        <translation>Communication failed!</translation>
    </message>
    <message>
        <source>通讯失败</source>
        <translation>Communication failed</translation>
    </message>
    <message>
        <source>校验错!</source>
        <translation>Checksum error!</translation>
    </message>
    <message>
        <source>设置系统时间成功:</source>
        <translation>Clock set:</translation>
    </message>
    <message>
        <source>设置系统时间失败</source>
        <translation>Setting the clock failed</translation>
    </message>
    <message>
        <source>读取时间!</source>
        <translation>Reading the clock failed!</translation>
    </message>
    <message>
        <source>共%d条曲线,%d条在画</source>
        <translation>%d curves, %d recording</translation>
    </message>
    <message>
        <source>读数据错误</source>
        <translation>Read data error</translation>
    </message>
    <message>
        <source>无曲线数据</source>
        <translation>No curve data</translation>
    </message>
    <message>
        <source>无该条曲线数据</source>
        <translation>No data for this curve</translation>
    </message>
    <message>
        <source>读数据失败</source>
        <translation>Reading data failed</translation>
    </message>
    <message>
        <source>读曲线数据错误</source>
        <translation>Reading curve data failed</translation>
    </message>
    <message>
        <source>清除成功!</source>
        <translation>Cleared!</translation>
    </message>
    <message>
        <source>清除失败!</source>
        <translation>Clearing failed!</translation>
    </message>
    <message>
        <source>读数据失败！</source>
        <translation>Reading data failed!</translation>
    </message>
    <message>
        <source>读数据aa失败！</source>
        <translation>Reading data failed (reply cut short)!</translation>
    </message>
    <message>
        <source>请输入0~255范围内的数</source>
        <translation>Enter a number from 0 to 255</translation>
    </message>
    <message>
        <source>地址设置成功!!!</source>
        <translation>Address set!!!</translation>
    </message>
    <message>
        <source>波特率设置成功!!!</source>
        <translation>Baud rate set!!!</translation>
    </message>
    <message>
        <source>设置成功!</source>
        <translation>Set!</translation>
    </message>
    <message>
        <source>设置失败!</source>
        <translation>Setting failed!</translation>
    </message>
    <message>
        <source>操作失败!!</source>
        <translation>Operation failed!!</translation>
    </message>
    <message>
        <source>读数据失败!</source>
        <translation>Reading data failed!</translation>
    </message>
    <message>
        <source>读取电压档位错误!</source>
        <translation>Bad voltage range reading!</translation>
    </message>
    <message>
        <source>校准成功!</source>
        <translation>Calibrated!</translation>
    </message>
    <message>
        <source>校准失败!</source>
        <translation>Calibration failed!</translation>
    </message>
    <message>
        <source>校准失败!!</source>
        <translation>Calibration failed!!</translation>
    </message>
    <message>
        <source>报警正常!</source>
        <translation>No alarm!</translation>
    </message>
    <message>
        <source>%d年-%d月-%d日-%d时-%d分-%d秒</source>
        <translation>%d-%d-%d %d:%02d:%02d</translation>
    </message>
    <message>
        <source>没有接入的电池（所有电池读数为 0.000V）</source>
        <translation>No cells connected (every cell reads 0.000V)</translation>
    </message>
    <message>
        <source>最高 电池%zu %.3fV  最低 电池%zu %.3fV  压差 %.0fmV  平均 %.3fV</source>
        <translation>Max cell %zu %.3fV  Min cell %zu %.3fV  Spread %.0fmV  Mean %.3fV</translation>
    </message>
    <message>
        <source>设备不存在</source>
        <translation>no such device</translation>
    </message>
    <message>
        <source>没有权限</source>
        <translation>no permission</translation>
    </message>
    <message>
        <source>没有权限 (需要加入 %s 组)</source>
        <translation>no permission (join group %s)</translation>
    </message>
    <message>
        <source>没有权限 (只有 %s 可以使用)</source>
        <translation>no permission (only %s may use it)</translation>
    </message>
    <message>
        <source>端口被其他程序占用</source>
        <translation>in use by another program</translation>
    </message>
    <message>
        <source>串口不支持此设置</source>
        <translation>the port does not take this setting</translation>
    </message>
    <message>
        <source>设备已断开</source>
        <translation>device disconnected</translation>
    </message>
    <message>
        <source>通讯超时</source>
        <translation>timed out</translation>
    </message>
    <message>
        <source>串口未打开</source>
        <translation>port not open</translation>
    </message>
    <message>
        <source>串口读写错误</source>
        <translation>port read/write error</translation>
    </message>
    <message>
        <source>已取消</source>
        <translation>cancelled</translation>
    </message>
    <message>
        <source>主机名未找到</source>
        <translation>host name not found</translation>
    </message>
    <message>
        <source>连接被拒绝</source>
        <translation>connection refused</translation>
    </message>
    <message>
        <source>网络不可达</source>
        <translation>network unreachable</translation>
    </message>
    <message>
        <source>总电压</source>
        <translation>Total voltage</translation>
    </message>
    <message>
        <source>电流</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>模拟量%zu</source>
        <translation>Analog %zu</translation>
    </message>
    <message>
        <source>电池%zu</source>
        <translation>Cell %zu</translation>
    </message>
    <message>
        <source>温度%zu</source>
        <translation>Temp %zu</translation>
    </message>
</context>
</TS>
