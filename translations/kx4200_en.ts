<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>CTesterDlg</name>
    <message>
        <source>取消采集</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>连续采集</source>
        <translation>Repeat</translation>
    </message>
    <message>
        <source>密码错误!</source>
        <translation>Wrong password!</translation>
    </message>
    <message>
        <source>操作成功!</source>
        <translation>Operation successful!</translation>
    </message>
    <message>
        <source>用户模式</source>
        <translation>User mode</translation>
    </message>
    <message>
        <source>厂家模式</source>
        <translation>Factory mode</translation>
    </message>
    <message>
        <source>请输入一个整数。</source>
        <translation>Please enter an integer.</translation>
    </message>
    <message>
        <source>请输入一个数字。</source>
        <translation>Please enter a number.</translation>
    </message>
    <message>
        <source>串口号：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation>Baud:</translation>
    </message>
    <message>
        <source>通信地址:</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>读取设备时间</source>
        <translation>Read clock</translation>
    </message>
    <message>
        <source>地址修改：</source>
        <translation>New addr.:</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>波特率修改：</source>
        <translation>New baud:</translation>
    </message>
    <message>
        <source>电流范围</source>
        <translation>Range (A)</translation>
    </message>
    <message>
        <source>电压范围</source>
        <translation>Range (V)</translation>
    </message>
    <message>
        <source> 读取电压量程档位</source>
        <translation> Read voltage range</translation>
    </message>
    <message>
        <source>读取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>版本号读取</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>采集周期</source>
        <translation>Period</translation>
    </message>
    <message>
        <source>采集</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>记录</source>
        <translation>Log</translation>
    </message>
    <message>
        <source> 读取报警寄存器</source>
        <translation> Read alarms</translation>
    </message>
    <message>
        <source>总电压报警寄存器设置</source>
        <translation>Total voltage alarm</translation>
    </message>
    <message>
        <source>开/关</source>
        <translation>On/off</translation>
    </message>
    <message>
        <source>过压值</source>
        <translation>Over</translation>
    </message>
    <message>
        <source>欠压值</source>
        <translation>Under</translation>
    </message>
    <message>
        <source>总电流报警寄存器设置</source>
        <translation>Total current alarm</translation>
    </message>
    <message>
        <source>过流阀值</source>
        <translation>Over</translation>
    </message>
    <message>
        <source>温度1报警寄存器设置</source>
        <translation>Temp 1 alarm</translation>
    </message>
    <message>
        <source>上限值</source>
        <translation>High</translation>
    </message>
    <message>
        <source>下限值</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>温度2报警寄存器设置</source>
        <translation>Temp 2 alarm</translation>
    </message>
    <message>
        <source>温度3报警寄存器设置</source>
        <translation>Temp 3 alarm</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>次</source>
        <translation> </translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Fail</translation>
    </message>
    <message>
        <source>实时曲线</source>
        <translation>Live trend</translation>
    </message>
    <message>
        <source>设置时间</source>
        <translation>Set clock</translation>
    </message>
    <message>
        <source>查询曲线条数</source>
        <translation>Count groups</translation>
    </message>
    <message>
        <source>清除曲线</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>读取第</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>组曲线数据</source>
        <translation>to read</translation>
    </message>
    <message>
        <source>曲线组记录日期：</source>
        <translation>Group date:</translation>
    </message>
    <message>
        <source>本组曲线共有记录点：</source>
        <translation>Points in group:</translation>
    </message>
    <message>
        <source>个</source>
        <translation> </translation>
    </message>
    <message>
        <source>查看第</source>
        <translation>Point</translation>
    </message>
    <message>
        <source>点电压数据</source>
        <translation>to view</translation>
    </message>
    <message>
        <source>查看</source>
        <translation>View</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>另存</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>曲线</source>
        <translation>Curves</translation>
    </message>
    <message>
        <source>已记录N组曲线</source>
        <translation>N curve groups recorded</translation>
    </message>
    <message>
        <source>工厂模式</source>
        <translation>Factory mode</translation>
    </message>
    <message>
        <source>设置电压档位</source>
        <translation>Set voltage range</translation>
    </message>
    <message>
        <source>选择电压档位：</source>
        <translation>Range:</translation>
    </message>
    <message>
        <source>参数校准</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>单节电池电压校准</source>
        <translation>Cell voltage</translation>
    </message>
    <message>
        <source>2V档位</source>
        <translation>2V rng</translation>
    </message>
    <message>
        <source>校准</source>
        <translation>Cal.</translation>
    </message>
    <message>
        <source>6V档位</source>
        <translation>6V rng</translation>
    </message>
    <message>
        <source>12V档位</source>
        <translation>12V rng</translation>
    </message>
    <message>
        <source>总电压校准</source>
        <translation>Total voltage</translation>
    </message>
    <message>
        <source>温度校准</source>
        <translation>Temperature</translation>
    </message>
    <message>
        <source>电流模拟量校准</source>
        <translation>Current (analogue)</translation>
    </message>
    <message>
        <source>
打开失败: </source>
        <translation>
Open failed: </translation>
    </message>
    <message>
        <source>请先停止当前采集!</source>
        <translation>Stop the acquisition first!</translation>
    </message>
    <message>
        <source>请先选择新的波特率!</source>
        <translation>Choose the new baud rate first!</translation>
    </message>
    <message>
        <source>请先选择电压档位!</source>
        <translation>Choose the voltage range first!</translation>
    </message>
    <message>
        <source>请先选择校准点!</source>
        <translation>Choose the calibration point first!</translation>
    </message>
    <message>
        <source>错误点数</source>
        <translation>Wrong point count</translation>
    </message>
    <message>
        <source>错误值</source>
        <translation>Wrong value</translation>
    </message>
    <message>
        <source>警告: %d 个数据包校验错误，曲线数据可能有误!</source>
        <translation>Warning: %d packets failed the checksum, the curve data may be wrong!</translation>
    </message>
    <message>
        <source>数据点记录时间：%H:%M:%S</source>
        <translation>Point recorded at: %H:%M:%S</translation>
    </message>
    <message>
        <source>是否真的清除所有曲线数据?</source>
        <translation>Really clear all curve data?</translation>
    </message>
    <message>
        <source>提示!</source>
        <translation>Note!</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>%1 已存在。
要替换它吗?</source>
        <translation>%1 already exists.
Do you want to replace it?</translation>
    </message>
    <message>
        <source>Data Files (*.bin)</source>
        <translation>Data Files (*.bin)</translation>
    </message>
    <message>
        <source>生成报告…</source>
        <translation>Create report…</translation>
    </message>
    <message>
        <source>PDF 文件 (*.pdf)</source>
        <translation>PDF files (*.pdf)</translation>
    </message>
    <message>
        <source>设备无应答, 报告中已注明:</source>
        <translation>The unit did not answer, the report says so:</translation>
    </message>
    <message>
        <source>打开通信端口失败, 报告中已注明:</source>
        <translation>The port did not open, the report says so:</translation>
    </message>
    <message>
        <source>报告保存失败!</source>
        <translation>Saving the report failed!</translation>
    </message>
    <message>
        <source>CSV Files (*.csv)</source>
        <translation>CSV Files (*.csv)</translation>
    </message>
    <message>
        <source>记录已停止，采集继续:</source>
        <translation>Logging stopped, acquisition goes on:</translation>
    </message>
    <message>
        <source>读取曲线 %1 包 %2 字节</source>
        <translation>Reading curves: %1 packets, %2 bytes</translation>
    </message>
    <message>
        <source>读取曲线 %1/%2 包 %3/%4 字节 约 %5 秒</source>
        <translation>Reading curves: %1/%2 packets, %3/%4 bytes, about %5 s</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>等待设备回答 %1/%2 秒</source>
        <translation>Waiting for the unit: %1/%2 s</translation>
    </message>
    <message>
        <source>等待设备回答 %1 秒</source>
        <translation>Waiting for the unit: %1 s</translation>
    </message>
    <message>
        <source>总电压</source>
        <translation>Total V</translation>
    </message>
    <message>
        <source>电流</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>温度1</source>
        <translation>Temp 1</translation>
    </message>
    <message>
        <source>温度2</source>
        <translation>Temp 2</translation>
    </message>
    <message>
        <source>温度3</source>
        <translation>Temp 3</translation>
    </message>
    <message>
        <source>模拟量1</source>
        <translation>Analog 1</translation>
    </message>
    <message>
        <source>模拟量2</source>
        <translation>Analog 2</translation>
    </message>
    <message>
        <source>地址范围:0~255</source>
        <translation>Address range: 0~255</translation>
    </message>
    <message>
        <source>关于 KX4200(&amp;A)...</source>
        <translation>&amp;About KX4200...</translation>
    </message>
    <message>
        <source>通讯监视</source>
        <translation>Protocol monitor</translation>
    </message>
    <message>
        <source>数据记录点时间</source>
        <translation>Point time</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>电池%1</source>
        <translation>Cell %1</translation>
    </message>
    <message>
        <source>KX4200</source>
        <translation>KX4200</translation>
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
