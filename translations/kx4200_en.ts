<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Analysis</name>
    <message>
        <source>%s 分钟</source>
        <translation>%s min</translation>
    </message>
    <message>
        <source>无</source>
        <translation>none</translation>
    </message>
    <message>
        <source>警告: </source>
        <translation>Warning: </translation>
    </message>
    <message>
        <source>电池%d</source>
        <translation>Cell %d</translation>
    </message>
    <message>
        <source>曲线组没有记录点, 无法分析</source>
        <translation>The group has no record points, nothing to analyse</translation>
    </message>
    <message>
        <source>所有电池读数均为 0, 没有可分析的电池</source>
        <translation>Every cell reads 0, no cell to analyse</translation>
    </message>
    <message>
        <source>未定</source>
        <translation>Undetermined</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>Pass</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>Fail</translation>
    </message>
    <message>
        <source>容量 %s  %s</source>
        <translation>Capacity %s  %s</translation>
    </message>
    <message>
        <source>放电时间 %s</source>
        <translation>Discharge time %s</translation>
    </message>
    <message>
        <source>未放电至终止电压</source>
        <translation>Not discharged to the end voltage</translation>
    </message>
    <message>
        <source>  最先到达终止电压: %s %s</source>
        <translation>  First at end voltage: %s %s</translation>
    </message>
    <message>
        <source>  无电池到达终止电压</source>
        <translation>  No cell reached the end voltage</translation>
    </message>
    <message>
        <source> (按首点中位数推定, 标称 %s V)</source>
        <translation> (assumed from the first point&apos;s median, nominal %s V)</translation>
    </message>
    <message>
        <source>终止电压 %s V/单体%s, 电池 %d 节</source>
        <translation>End voltage %s V/cell%s, %d cells</translation>
    </message>
    <message>
        <source>电池组平均电压到达终止电压: %s</source>
        <translation>String mean voltage reached the end voltage: %s</translation>
    </message>
    <message>
        <source>电池组平均电压未到达终止电压, 以记录结束 %s 为准</source>
        <translation>String mean voltage did not reach the end voltage, taken at the end of the recording, %s</translation>
    </message>
    <message>
        <source>放电未至终止电压即结束, 容量只知下限, 不足以判定</source>
        <translation>The discharge ended before the end voltage: the capacity is only a lower bound, no verdict</translation>
    </message>
    <message>
        <source>落后电池 (低于平均 %s%% 以上): %s</source>
        <translation>Weak cells (more than %s%% below the mean): %s</translation>
    </message>
    <message>
        <source>未到达</source>
        <translation>not reached</translation>
    </message>
    <message>
        <source>与基准比较: 放电时间 %s → %s</source>
        <translation>Against the baseline: discharge time %s → %s</translation>
    </message>
    <message>
        <source>, 容量 %s → %s</source>
        <translation>, capacity %s → %s</translation>
    </message>
    <message>
        <source>漂移电池 (偏差下降 %s 个百分点以上): %s</source>
        <translation>Drifted cells (deviation down by more than %s points): %s</translation>
    </message>
    <message>
        <source>%s 读数始终不变, 采样线可能松动</source>
        <translation>%s reads the same throughout, the sense wire may be loose</translation>
    </message>
    <message>
        <source>%d 个记录点的单体电压之和与总电压相差超过 2%% (最大 %s V)</source>
        <translation>%d record points where the cells&apos; sum differs from the total voltage by more than 2%% (max %s V)</translation>
    </message>
    <message>
        <source>终止电压 %s V%s</source>
        <translation>End voltage %s V%s</translation>
    </message>
    <message>
        <source> (推定)</source>
        <translation> (assumed)</translation>
    </message>
    <message>
        <source>  额定时间 %s</source>
        <translation>  Rated %s</translation>
    </message>
    <message>
        <source>未给定</source>
        <translation>not given</translation>
    </message>
    <message>
        <source>  温度系数 %s</source>
        <translation>  K factor %s</translation>
    </message>
    <message>
        <source>  合格线 %s%%  落后 %s%%  漂移 %s%%</source>
        <translation>  Pass %s%%  Weak %s%%  Drift %s%%</translation>
    </message>
</context>
<context>
    <name>CAboutDlg</name>
    <message>
        <source>关于 KX4200</source>
        <translation>About KX4200</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CCurveViewDlg</name>
    <message>
        <source>电池曲线图</source>
        <translation>Cell curves</translation>
    </message>
    <message>
        <source>时间：</source>
        <translation>Time:</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>电池体</source>
        <translation>Cells</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>All</translation>
    </message>
    <message>
        <source>自动缩放</source>
        <translation>Auto scale</translation>
    </message>
    <message>
        <source>放电分析</source>
        <translation>Analysis</translation>
    </message>
    <message>
        <source>曲线组</source>
        <translation>Curves</translation>
    </message>
    <message>
        <source>电池%1</source>
        <translation>#%1</translation>
    </message>
    <message>
        <source>无法开始打印，请检查打印机!</source>
        <translation>Cannot start printing, check the printer!</translation>
    </message>
    <message>
        <source>基准文件无法读取: </source>
        <translation>Baseline file unreadable: </translation>
    </message>
    <message>
        <source>基准文件: </source>
        <translation>Baseline file: </translation>
    </message>
</context>
<context>
    <name>CLiveTrendDlg</name>
    <message>
        <source>等待采集数据</source>
        <translation>Waiting for readings</translation>
    </message>
    <message>
        <source>最高</source>
        <translation>High</translation>
    </message>
    <message>
        <source>最低</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>平均</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>电池%d</source>
        <translation>Cell %d</translation>
    </message>
    <message>
        <source>总电压 (左)</source>
        <translation>Total V (left)</translation>
    </message>
    <message>
        <source>电流 (右)</source>
        <translation>Current (right)</translation>
    </message>
    <message>
        <source>实时曲线</source>
        <translation>Live trend</translation>
    </message>
    <message>
        <source>勾选要单独显示的电池</source>
        <translation>Tick the cells to show on their own</translation>
    </message>
    <message>
        <source>电池%1</source>
        <translation>Cell %1</translation>
    </message>
</context>
<context>
    <name>CPasswordDlg</name>
    <message>
        <source>请输入密码：</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CProtocolViewDlg</name>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>方向</source>
        <translation>Dir.</translation>
    </message>
    <message>
        <source>字节</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>命令</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>通讯监视</source>
        <translation>Communication monitor</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
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
        <source>保存…</source>
        <translation>Save…</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Continue</translation>
    </message>
    <message>
        <source>保存通讯记录</source>
        <translation>Save communication log</translation>
    </message>
    <message>
        <source>文本文件 (*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
    <message>
        <source>所有文件 (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>保存失败:%1</source>
        <translation>Save failed: %1</translation>
    </message>
</context>
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
        <translation>Communication monitor</translation>
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
    <name>Chart</name>
    <message>
        <source>没有可统计的电池数据</source>
        <translation>No cell data to evaluate</translation>
    </message>
    <message>
        <source>最高 %s  最低 %s  最大压差 %.0fmV %s</source>
        <translation>Max %s  Min %s  Max spread %.0fmV %s</translation>
    </message>
    <message>
        <source>终止电压 %sV</source>
        <translation>End voltage %sV</translation>
    </message>
    <message>
        <source>电池%d %.3fV %s</source>
        <translation>Cell %d %.3fV %s</translation>
    </message>
    <message>
        <source>本组曲线共有记录点：%d个</source>
        <translation>Points in this group: %d</translation>
    </message>
    <message>
        <source>曲线组记录日期：%s</source>
        <translation>Group recorded on: %s</translation>
    </message>
</context>
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
        <source>是否真的清除所有曲线数据?</source>
        <translation>Really clear all curve data?</translation>
    </message>
</context>
<context>
    <name>CurveFile</name>
    <message>
        <source>无法打开曲线文件!</source>
        <translation>Cannot open the curve file!</translation>
    </message>
    <message>
        <source>不是普通文件，无法作为曲线文件打开!</source>
        <translation>Not a regular file, cannot open it as a curve file!</translation>
    </message>
    <message>
        <source>读取曲线文件出错!</source>
        <translation>Error reading the curve file!</translation>
    </message>
    <message>
        <source>曲线文件太短，不是有效的曲线文件!</source>
        <translation>The curve file is too short, not a valid curve file!</translation>
    </message>
    <message>
        <source>曲线文件的长度超过50000字节，文件已损坏!</source>
        <translation>The curve file is longer than 50000 bytes, the file is damaged!</translation>
    </message>
    <message>
        <source>曲线文件不完整，数据比文件头所记的长度短!</source>
        <translation>The curve file is incomplete, its data is shorter than its header says!</translation>
    </message>
    <message>
        <source>曲线数据超过50000字节，无法保存!</source>
        <translation>The curve data is over 50000 bytes, cannot save!</translation>
    </message>
    <message>
        <source>无法创建曲线文件!</source>
        <translation>Cannot create the curve file!</translation>
    </message>
    <message>
        <source>写入曲线文件出错，文件未保存!</source>
        <translation>Error writing the curve file, the file was not saved!</translation>
    </message>
    <message>
        <source>无法替换原有的曲线文件，文件未保存!</source>
        <translation>Cannot replace the existing curve file, the file was not saved!</translation>
    </message>
    <message>
        <source>保存曲线文件被中断，文件未保存!</source>
        <translation>Saving the curve file was interrupted, the file was not saved!</translation>
    </message>
    <message>
        <source>曲线文件出错!</source>
        <translation>Curve file error!</translation>
    </message>
</context>
<context>
    <name>DischargePane</name>
    <message>
        <source>参数</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>不评容量</source>
        <translation>Not rated</translation>
    </message>
    <message>
        <source>终止电压</source>
        <translation>End voltage</translation>
    </message>
    <message>
        <source>V/单体</source>
        <translation>V/cell</translation>
    </message>
    <message>
        <source>额定时间</source>
        <translation>Rated time</translation>
    </message>
    <message>
        <source>分钟</source>
        <translation>min</translation>
    </message>
    <message>
        <source>温度系数</source>
        <translation>Temp. factor</translation>
    </message>
    <message>
        <source>合格线</source>
        <translation>Pass mark</translation>
    </message>
    <message>
        <source>落后阈值</source>
        <translation>Weak threshold</translation>
    </message>
    <message>
        <source>% 低于平均</source>
        <translation>% below mean</translation>
    </message>
    <message>
        <source>漂移阈值</source>
        <translation>Drift threshold</translation>
    </message>
    <message>
        <source>个百分点</source>
        <translation>percentage points</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>选择…</source>
        <translation>Choose…</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>基准文件</source>
        <translation>Baseline file</translation>
    </message>
    <message>
        <source>终止电压须大于 0 且不超过 %1 V</source>
        <translation>End voltage must be above 0 and at most %1 V</translation>
    </message>
    <message>
        <source>额定时间须大于 0 分钟</source>
        <translation>Rated time must be above 0 minutes</translation>
    </message>
    <message>
        <source>温度系数须大于 0 且不超过 10</source>
        <translation>Temp. factor must be above 0 and at most 10</translation>
    </message>
    <message>
        <source>合格线须大于 0%</source>
        <translation>Pass mark must be above 0%</translation>
    </message>
    <message>
        <source>落后阈值须为 0 或正数</source>
        <translation>Weak threshold must be 0 or positive</translation>
    </message>
    <message>
        <source>漂移阈值须为 0 或正数</source>
        <translation>Drift threshold must be 0 or positive</translation>
    </message>
    <message>
        <source>参数有误: </source>
        <translation>Bad parameter: </translation>
    </message>
    <message>
        <source>排名</source>
        <translation>Rank</translation>
    </message>
    <message>
        <source>电池</source>
        <translation>Cell</translation>
    </message>
    <message>
        <source>到达(分)</source>
        <translation>Reached (min)</translation>
    </message>
    <message>
        <source>电压(V)</source>
        <translation>Voltage (V)</translation>
    </message>
    <message>
        <source>偏差(%)</source>
        <translation>Dev. (%)</translation>
    </message>
    <message>
        <source>偏差(mV)</source>
        <translation>Dev. (mV)</translation>
    </message>
    <message>
        <source>标记</source>
        <translation>Marks</translation>
    </message>
    <message>
        <source>基准排名</source>
        <translation>Base rank</translation>
    </message>
    <message>
        <source>漂移</source>
        <translation>Drift</translation>
    </message>
    <message>
        <source>落后</source>
        <translation>Weak</translation>
    </message>
    <message>
        <source>不变</source>
        <translation>Stuck</translation>
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
<context>
    <name>Report</name>
    <message>
        <source>排名</source>
        <translation>Rank</translation>
    </message>
    <message>
        <source>电池</source>
        <translation>Cell</translation>
    </message>
    <message>
        <source>到达时间(分)</source>
        <translation>End (min)</translation>
    </message>
    <message>
        <source>电压(V)</source>
        <translation>Volts</translation>
    </message>
    <message>
        <source>偏差(%)</source>
        <translation>Dev. (%)</translation>
    </message>
    <message>
        <source>偏差(mV)</source>
        <translation>Dev. (mV)</translation>
    </message>
    <message>
        <source>标记</source>
        <translation>Marks</translation>
    </message>
    <message>
        <source>基准排名</source>
        <translation>Base rank</translation>
    </message>
    <message>
        <source>基准偏差(%)</source>
        <translation>Base dev. (%)</translation>
    </message>
    <message>
        <source>漂移(点)</source>
        <translation>Drift (pts)</translation>
    </message>
    <message>
        <source>落后</source>
        <translation>weak</translation>
    </message>
    <message>
        <source>漂移</source>
        <translation>drifted</translation>
    </message>
    <message>
        <source>读数不变</source>
        <translation>stuck</translation>
    </message>
    <message>
        <source>放电分析</source>
        <translation>Discharge Analysis</translation>
    </message>
    <message>
        <source>参数</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>基准文件: </source>
        <translation>Baseline file: </translation>
    </message>
    <message>
        <source>容量 = 电池组平均电压降至终止电压所用时间 ÷ (额定时间 × 温度系数) × 100% (时间修正法)</source>
        <translation>Capacity = time for the string mean voltage to fall to the end voltage ÷ (rated time × K factor) × 100% (time-adjusted method)</translation>
    </message>
    <message>
        <source>结论</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>单体排名</source>
        <translation>Cell Ranking</translation>
    </message>
    <message>
        <source>1 为最弱。电压与偏差取电池组到达终止电压之时, 未到达则取记录结束之时。</source>
        <translation>1 is the weakest. Voltage and deviation are taken when the string reaches the end voltage, or else at the end of the recording.</translation>
    </message>
    <message>
        <source>设备时钟不是有效日期</source>
        <translation>the unit&apos;s clock is not a valid date</translation>
    </message>
    <message>
        <source>串口已断开</source>
        <translation>port disconnected</translation>
    </message>
    <message>
        <source>已取消</source>
        <translation>cancelled</translation>
    </message>
    <message>
        <source>串口读写错误</source>
        <translation>port read/write error</translation>
    </message>
    <message>
        <source>应答缺失或长度错误</source>
        <translation>reply missing or of wrong length</translation>
    </message>
    <message>
        <source>设备无应答</source>
        <translation>No reply from the unit</translation>
    </message>
    <message>
        <source>应答不完整: 收到%zu字节, 应为%zu字节</source>
        <translation>incomplete reply: received %zu bytes, expected %zu bytes</translation>
    </message>
    <message>
        <source>应答长度错误: 应为%zu字节, 收到%zu字节</source>
        <translation>wrong reply length: expected %zu bytes, received %zu bytes</translation>
    </message>
    <message>
        <source>校验错</source>
        <translation>checksum error</translation>
    </message>
    <message>
        <source>请求未能发出</source>
        <translation>request not sent</translation>
    </message>
    <message>
        <source>通讯失败</source>
        <translation>communication failed</translation>
    </message>
    <message>
        <source>设备与电脑一致</source>
        <translation>unit and PC agree</translation>
    </message>
    <message>
        <source>设备比电脑慢 %lld 秒</source>
        <translation>unit %lld s behind the PC</translation>
    </message>
    <message>
        <source>设备比电脑快 %lld 秒</source>
        <translation>unit %lld s ahead of the PC</translation>
    </message>
    <message>
        <source>第 %1 页  共 %2 页</source>
        <translation>Page %1 of %2</translation>
    </message>
    <message>
        <source>未读到 (</source>
        <translation>Not read (</translation>
    </message>
    <message>
        <source>生成时间</source>
        <translation>Created</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>%1        波特率 %2</source>
        <translation>%1        Baud rate %2</translation>
    </message>
    <message>
        <source>串口未能打开</source>
        <translation>Port did not open</translation>
    </message>
    <message>
        <source>原因: </source>
        <translation>Cause: </translation>
    </message>
    <message>
        <source>未向设备发出任何请求, 本报告不含测量值。</source>
        <translation>No request was sent to the unit; this report holds no measurements.</translation>
    </message>
    <message>
        <source>固件版本</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>设备时钟</source>
        <translation>Unit clock</translation>
    </message>
    <message>
        <source>实时数据</source>
        <translation>Live data</translation>
    </message>
    <message>
        <source>报警状态</source>
        <translation>Alarms</translation>
    </message>
    <message>
        <source>请检查接线、串口号、地址和波特率。本报告不含测量值。</source>
        <translation>Check the wiring, port, address and baud rate. This report holds no measurements.</translation>
    </message>
    <message>
        <source>电脑时钟</source>
        <translation>PC clock</translation>
    </message>
    <message>
        <source>时钟差</source>
        <translation>Difference</translation>
    </message>
    <message>
        <source>%1 秒 (%2)</source>
        <translation>%1 s (%2)</translation>
    </message>
    <message>
        <source>▲ 最高   ▼ 最低   (读数为 0.000 V 的通道未接电池, 不参与比较)</source>
        <translation>▲ Max   ▼ Min   (channels reading 0.000 V have no cell and are not compared)</translation>
    </message>
    <message>
        <source>报警字 </source>
        <translation>Alarm word </translation>
    </message>
    <message>
        <source>实时数据 (单体电压 V)</source>
        <translation>Live Data (cell voltages, V)</translation>
    </message>
    <message>
        <source>未读到实时数据 (</source>
        <translation>Live data not read (</translation>
    </message>
    <message>
        <source>总电压、电流、温度与模拟量</source>
        <translation>Total Voltage, Current, Temperatures and Analog Inputs</translation>
    </message>
    <message>
        <source>曲线组</source>
        <translation>Curve Group</translation>
    </message>
    <message>
        <source>记录点</source>
        <translation>Points</translation>
    </message>
    <message>
        <source>%1 个    %2 至 %3</source>
        <translation>%1    %2 to %3</translation>
    </message>
    <message>
        <source>单体统计 (V)</source>
        <translation>Cell Statistics (V)</translation>
    </message>
    <message>
        <source>最低</source>
        <translation>Min</translation>
    </message>
    <message>
        <source>最高</source>
        <translation>Max</translation>
    </message>
    <message>
        <source>平均</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>首值</source>
        <translation>First</translation>
    </message>
    <message>
        <source>末值</source>
        <translation>Last</translation>
    </message>
    <message>
        <source>KX4200 测试报告</source>
        <translation>KX4200 Test Report</translation>
    </message>
</context>
</TS>
